// The storage object of a long binary column: a read-only sequential stream, lazy on file-backed values.
#pragma once

#include "JetCommon.h"

class CJetBlobStream : public CJetUnknown<ISequentialStream>
{
public:
    // Reads from the row in the file, opening the blob at the first Read.
    CJetBlobStream(const CJetBlobRef& ref, ULONGLONG cbSize);
    // Reads from bytes already in memory.
    explicit CJetBlobStream(const std::string& bytes);
    virtual ~CJetBlobStream();

    static HRESULT ReadAll(const CJetBlobRef& ref, std::string& bytes);

    STDMETHOD(Read)(void* pv, ULONG cb, ULONG* pcbRead) override;
    STDMETHOD(Write)(const void* pv, ULONG cb, ULONG* pcbWritten) override;

private:
    void* InterfaceFor(REFIID riid) override;

    void CloseBlob();

    bool m_bLazy = false;
    CJetBlobRef m_ref;
    std::string m_bytes;
    ULONGLONG m_cbSize = 0;
    ULONGLONG m_cbPos = 0;
    sqlite3_blob* m_pBlob = NULL;
};
