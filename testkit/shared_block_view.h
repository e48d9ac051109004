/*
 * The shared logon block, opened by name and mapped as any other process
 * maps it; unmapped and closed at the end of the scope. It exists only while
 * some process has the provider loaded: Open() says whether it was there.
 */
#pragma once

#include "shared_logon_record.h"

class SharedBlockView {
public:
    SharedBlockView()
    {
        mapping_ = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kSharedRecordName);
        if (mapping_ != nullptr)
            record_ = static_cast<SharedLogonRecord *>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0));
    }
    ~SharedBlockView()
    {
        if (record_ != nullptr)
            UnmapViewOfFile(record_);
        if (mapping_ != nullptr)
            CloseHandle(mapping_);
    }
    SharedBlockView(const SharedBlockView &) = delete;
    SharedBlockView &operator=(const SharedBlockView &) = delete;

    bool Open() const { return record_ != nullptr; }
    SharedLogonRecord *operator->() const { return record_; }
    SharedLogonRecord *Record() const { return record_; }
    const BYTE *Bytes() const { return reinterpret_cast<const BYTE *>(record_); }

private:
    HANDLE mapping_ = nullptr;
    SharedLogonRecord *record_ = nullptr;
};
