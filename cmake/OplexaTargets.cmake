# JUCE is compiled once into a static library; every Oplexa target links that one copy.
set(OPLEXA_JUCE_MODULES juce::juce_core)
if(OPLEXA_WITH_GUI)
    list(APPEND OPLEXA_JUCE_MODULES juce::juce_events juce::juce_data_structures
         juce::juce_graphics juce::juce_gui_basics)
endif()

add_library(oplexa_juce STATIC)
target_link_libraries(oplexa_juce
    PRIVATE ${OPLEXA_JUCE_MODULES}
    PUBLIC juce::juce_recommended_config_flags)
if(OPLEXA_WITH_GUI)
    # Debian's JUCE takes libpng and libjpeg from the system.
    target_link_libraries(oplexa_juce PUBLIC juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
endif()
target_compile_definitions(oplexa_juce PUBLIC
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_STANDALONE_APPLICATION=0
    JUCE_MODAL_LOOPS_PERMITTED=1
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_DONT_DECLARE_PROJECTINFO=1
    JUCE_DISPLAY_SPLASH_SCREEN=0)
target_compile_definitions(oplexa_juce INTERFACE
    $<TARGET_PROPERTY:oplexa_juce,COMPILE_DEFINITIONS>)
target_include_directories(oplexa_juce INTERFACE
    $<TARGET_PROPERTY:oplexa_juce,INCLUDE_DIRECTORIES>)
set_target_properties(oplexa_juce PROPERTIES
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

# Warnings for Oplexa's own code (JUCE's sources are not held to them).
add_library(oplexa_warnings INTERFACE)
target_compile_options(oplexa_warnings INTERFACE -Wall -Wextra -Wshadow -Wconversion
    -Wno-sign-conversion $<$<BOOL:${OPLEXA_WERROR}>:-Werror>)
if(OPLEXA_SANITIZE)
    # GCC's flow analysis gives false alarms inside libstdc++ (std::regex) once sanitizers
    # instrument it.
    target_compile_options(oplexa_warnings INTERFACE -Wno-maybe-uninitialized)
endif()
if(OPLEXA_SANITIZE MATCHES "thread")
    # ThreadSanitizer does not model fences; the code that pairs a fence with the kernel's
    # process-wide barrier keeps its atomics, which it does see.
    target_compile_options(oplexa_warnings INTERFACE -Wno-tsan)
endif()

function(oplexa_target target)
    target_link_libraries(${target} PRIVATE oplexa_warnings)
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    set_target_properties(${target} PROPERTIES
        CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()
