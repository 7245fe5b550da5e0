// Accessors of commands and rowsets: copies of the consumer's bindings behind an HACCESSOR.
#include "JetAccessor.h"

#include <algorithm>

CJetAccessorSet::~CJetAccessorSet()
{
    for (CJetAccessor* p : m_accessors)
        delete p;
}

HRESULT CJetAccessorSet::Create(DBACCESSORFLAGS dwFlags, DBCOUNTITEM cBindings, const DBBINDING rgBindings[],
                                DBORDINAL cColumns, HACCESSOR* phAccessor, DBBINDSTATUS rgStatus[])
{
    if (phAccessor == NULL || (cBindings > 0 && rgBindings == NULL))
        return E_INVALIDARG;
    *phAccessor = DB_NULL_HACCESSOR;
    bool bParams = (dwFlags & DBACCESSOR_PARAMETERDATA) != 0;
    bool bBad = false;
    for (DBCOUNTITEM i = 0; i < cBindings; ++i)
    {
        const DBBINDING& b = rgBindings[i];
        DBBINDSTATUS status = DBBINDSTATUS_OK;
        if (b.iOrdinal == 0 || (!bParams && b.iOrdinal > cColumns))
            status = DBBINDSTATUS_BADORDINAL;
        else if ((b.dwPart & (DBPART_VALUE | DBPART_LENGTH | DBPART_STATUS)) == 0)
            status = DBBINDSTATUS_BADBINDINFO;
        else if ((b.wType & ~DBTYPE_BYREF) == DBTYPE_IUNKNOWN && b.pObject == NULL && !bParams)
            status = DBBINDSTATUS_OK; // a plain interface pointer is handed out as a stream too
        if (rgStatus != NULL)
            rgStatus[i] = status;
        if (status != DBBINDSTATUS_OK)
            bBad = true;
    }
    if (bBad)
        return DB_E_ERRORSOCCURRED;
    CJetAccessor* p = new CJetAccessor;
    p->dwFlags = dwFlags;
    p->bindings.assign(rgBindings, rgBindings + cBindings);
    p->objects.resize(cBindings);
    for (DBCOUNTITEM i = 0; i < cBindings; ++i)
    {
        if (rgBindings[i].pObject != NULL)
        {
            p->objects[i] = *rgBindings[i].pObject;
            p->bindings[i].pObject = &p->objects[i];
        }
        // Names and type info are not kept: the binding is by ordinal.
        p->bindings[i].pTypeInfo = NULL;
        p->bindings[i].pBindExt = NULL;
    }
    m_accessors.push_back(p);
    *phAccessor = reinterpret_cast<HACCESSOR>(p);
    return S_OK;
}

CJetAccessor* CJetAccessorSet::Find(HACCESSOR h) const
{
    CJetAccessor* p = CJetAccessor::FromHandle(h);
    return std::find(m_accessors.begin(), m_accessors.end(), p) != m_accessors.end() ? p : NULL;
}

HRESULT CJetAccessorSet::AddRef(HACCESSOR h, DBREFCOUNT* pcRef)
{
    CJetAccessor* p = Find(h);
    if (p == NULL)
        return DB_E_BADACCESSORHANDLE;
    ++p->cRef;
    if (pcRef != NULL)
        *pcRef = p->cRef;
    return S_OK;
}

HRESULT CJetAccessorSet::Release(HACCESSOR h, DBREFCOUNT* pcRef)
{
    CJetAccessor* p = Find(h);
    if (p == NULL)
        return DB_E_BADACCESSORHANDLE;
    LONG n = --p->cRef;
    if (pcRef != NULL)
        *pcRef = n;
    if (n == 0)
    {
        m_accessors.erase(std::find(m_accessors.begin(), m_accessors.end(), p));
        delete p;
    }
    return S_OK;
}

HRESULT CJetAccessorSet::GetBindings(HACCESSOR h, DBACCESSORFLAGS* pdwFlags, DBCOUNTITEM* pcBindings,
                                     DBBINDING** prgBindings)
{
    if (pdwFlags == NULL || pcBindings == NULL || prgBindings == NULL)
        return E_INVALIDARG;
    *pcBindings = 0;
    *prgBindings = NULL;
    CJetAccessor* p = Find(h);
    if (p == NULL)
        return DB_E_BADACCESSORHANDLE;
    *pdwFlags = p->dwFlags;
    size_t n = p->bindings.size();
    DBBINDING* pOut = (DBBINDING*)CoTaskMemAlloc(sizeof(DBBINDING) * (n > 0 ? n : 1));
    if (pOut == NULL)
        return E_OUTOFMEMORY;
    for (size_t i = 0; i < n; ++i)
    {
        pOut[i] = p->bindings[i];
        if (pOut[i].pObject != NULL)
        {
            pOut[i].pObject = (DBOBJECT*)CoTaskMemAlloc(sizeof(DBOBJECT));
            *pOut[i].pObject = p->objects[i];
        }
    }
    *pcBindings = n;
    *prgBindings = pOut;
    return S_OK;
}
