#include "registry_scan.h"

#include "freestanding.h"

ScanBuffer::ScanBuffer()
{
    if (provider.heap != nullptr)
        data_ = static_cast<BYTE *>(HeapAlloc(provider.heap, HEAP_ZERO_MEMORY, kScanDataSize));
}

ScanBuffer::~ScanBuffer()
{
    if (data_ != nullptr)
        HeapFree(provider.heap, 0, data_);
}

bool SameValueName(const char *name, const char *expected)
{
    return SameText(name, expected);
}
