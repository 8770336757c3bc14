# Where cmake --install and the package put things, relative to the prefix; the oplexa command
# finds the installed module and wrapper from its own folder with these.
include(GNUInstallDirs)
# Linux hosts look for VST 2 plug-ins in /usr/lib/vst, not in the multiarch library folder.
# A STRING, since CMake would make a relative PATH given with -D absolute.
set(OPLEXA_INSTALL_VSTDIR lib/vst CACHE STRING "Folder of Oplexa.so, relative to the prefix")
set(OPLEXA_INSTALL_WRAPPERDIR lib/oplexa CACHE STRING
    "Folder of the prebuilt wrapper `oplexa wrap` copies, relative to the prefix")
