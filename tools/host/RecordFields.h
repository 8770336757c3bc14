// The --record-fields file: the record fields a host reads, one stable line at each point of
// the session where a host reads them, and at every audioMasterIOChanged, when a DAW re-reads
// them. Pointers differ between processes, so only whether they are null is written.
#pragma once

#include "tools/host/SessionReport.h"

#include "vst/VstInterface.h"

#include <mutex>
#include <string>

namespace host
{
class RecordFields
{
public:
    // An empty path writes nothing.
    bool open(const std::string& path);
    bool close();

    void write(const AEffect& record, const char* when);
    // From the audioMaster callback, on whatever thread the plug-in calls it; record is the one
    // the host holds, null while the entry point has not returned yet.
    void ioChanged(const AEffect* record);

private:
    std::mutex mutex;
    SessionReport file;
    int ioChanges = 0;
};

RecordFields& recordFields();
} // namespace host
