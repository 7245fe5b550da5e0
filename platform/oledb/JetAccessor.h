// Accessors of commands and rowsets: copies of the consumer's bindings behind an HACCESSOR.
#pragma once

#include "JetCommon.h"

struct CJetAccessor
{
    LONG cRef = 1;
    DBACCESSORFLAGS dwFlags = 0;
    std::vector<DBBINDING> bindings;
    std::vector<DBOBJECT> objects; // storage object descriptions, pointed to by bindings[i].pObject

    static CJetAccessor* FromHandle(HACCESSOR h) { return reinterpret_cast<CJetAccessor*>(h); }
};

// The IAccessor part shared by commands (parameter accessors) and rowsets (row accessors).
class CJetAccessorSet
{
public:
    ~CJetAccessorSet();
    HRESULT Create(DBACCESSORFLAGS dwFlags, DBCOUNTITEM cBindings, const DBBINDING rgBindings[], DBORDINAL cColumns,
                   HACCESSOR* phAccessor, DBBINDSTATUS rgStatus[]);
    HRESULT AddRef(HACCESSOR h, DBREFCOUNT* pcRef);
    HRESULT Release(HACCESSOR h, DBREFCOUNT* pcRef);
    HRESULT GetBindings(HACCESSOR h, DBACCESSORFLAGS* pdwFlags, DBCOUNTITEM* pcBindings, DBBINDING** prgBindings);
    CJetAccessor* Find(HACCESSOR h) const;

private:
    std::vector<CJetAccessor*> m_accessors;
};

// IAccessor of an object that owns a CJetAccessorSet; the owner makes its own accessors (CreateAccessor).
class CJetAccessorOwner : public IAccessor
{
public:
    STDMETHOD(AddRefAccessor)(HACCESSOR hAccessor, DBREFCOUNT* pcRefCount) override
    {
        return m_accessors.AddRef(hAccessor, pcRefCount);
    }
    STDMETHOD(GetBindings)(HACCESSOR hAccessor, DBACCESSORFLAGS* pdwAccessorFlags, DBCOUNTITEM* pcBindings,
                           DBBINDING** prgBindings) override
    {
        return m_accessors.GetBindings(hAccessor, pdwAccessorFlags, pcBindings, prgBindings);
    }
    STDMETHOD(ReleaseAccessor)(HACCESSOR hAccessor, DBREFCOUNT* pcRefCount) override
    {
        return m_accessors.Release(hAccessor, pcRefCount);
    }

protected:
    CJetAccessorSet m_accessors;
};
