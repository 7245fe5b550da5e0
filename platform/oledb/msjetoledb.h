// Identifiers of the Jet 4.0 provider: its class, its own property set, its compaction and flush interfaces.
#pragma once

#include <windows.h>
#include <oledb.h>

// {DEE35070-506B-11CF-B1AA-00AA00B8DE95}
extern "C" const CLSID CLSID_JETOLEDB_4_00;
// {82CF8156-9B40-11D0-9EBD-00C04FC2C2E0}
extern "C" const GUID DBPROPSET_JETOLEDB_DBINIT;
// {2A4B6284-EEB4-11D1-A4D9-00C04F991C78}
extern "C" const IID IID_IJetCompact;

#define DBPROP_JETOLEDB_DATABASEPASSWORD 0x100L
#define DBPROP_JETOLEDB_ENGINE 0x103L

// {5C1E2A47-8B3D-4E16-A0F2-7D94C3B6E815}
extern "C" const IID IID_IJetFlush;

// Engine type reported for every database file: Jet 4.x.
#define JETDBENGINETYPE_JET4X 0x05

#define JET_PROGID_4_00 "Microsoft.Jet.OLEDB.4.0"

struct IJetCompact : public IUnknown
{
    // One property set: DBPROPSET_DBINIT with DBPROP_INIT_DATASOURCE naming the destination file.
    virtual HRESULT STDMETHODCALLTYPE Compact(ULONG cPropertySets, DBPROPSET rgPropertySets[]) = 0;
};

// A session's writes are kept by the engine's lazy flush; this puts everything committed so far on the disk.
struct IJetFlush : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Flush() = 0;
};

// {9D3B6F0A-2C71-4E58-B8A4-51E0C7D29B36}
// A storage object handed to a row change may lend its bytes instead of being read: the provider then writes
// them where they lie, so a message of many megabytes is not copied once more. The bytes must stay where they
// are, unchanged, until the call the object was handed to returns, even after the provider released it.
struct IJetLentBytes : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetLentBytes(const void** ppv, ULONG* pcb) = 0;
};
static const IID IID_IJetLentBytes = {0x9D3B6F0A, 0x2C71, 0x4E58,
                                     {0xB8, 0xA4, 0x51, 0xE0, 0xC7, 0xD2, 0x9B, 0x36}};
