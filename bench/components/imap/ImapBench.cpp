// The bench user's 2000 messages fetched through the OrbIMAP component (the UID list, then each message
// by UID) beside mbsync pulling the same mailbox into an empty Maildir, both from the dovecot peer.
#include <windows.h>

#include <ocidl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "OrbIMAP.h"
#include "PeerBench.h"

namespace
{

// Counts the messages and UIDs the component reports.
class CCountingSink : public IDispatch
{
public:
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__IOrbIMAPEvents)
        {
            *ppv = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 2; }
    STDMETHOD_(ULONG, Release)() override { return 1; }
    STDMETHOD(GetTypeInfoCount)(UINT* pn) override
    {
        *pn = 0;
        return S_OK;
    }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID id, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (id == 4 && pParams->cArgs == 2)
            m_Uids.push_back(pParams->rgvarg[1].ulVal);
        else if (id == 3 && pParams->cArgs == 3)
        {
            ++m_nMessages;
            m_nBytes += SysStringLen(pParams->rgvarg[2].bstrVal);
        }
        return S_OK;
    }

    std::vector<unsigned long> m_Uids;
    int m_nMessages = 0;
    size_t m_nBytes = 0;
};

double RunComponent(UINT nPort)
{
    IOrbIMAP* pImap = nullptr;
    if (FAILED(CoCreateInstance(CLSID_OrbIMAP, NULL, CLSCTX_INPROC_SERVER, IID_IOrbIMAP,
                                reinterpret_cast<void**>(&pImap))))
        return -1;
    CCountingSink sink;
    IConnectionPointContainer* pContainer = nullptr;
    IConnectionPoint* pPoint = nullptr;
    DWORD dwCookie = 0;
    pImap->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&pContainer));
    if (pContainer)
        pContainer->FindConnectionPoint(DIID__IOrbIMAPEvents, &pPoint);
    if (pPoint)
        pPoint->Advise(&sink, &dwCookie);

    BSTR server = SysAllocString(L"127.0.0.1");
    BSTR user = SysAllocString(L"bench");
    BSTR password = SysAllocString(L"benchpw");
    BSTR inbox = SysAllocString(L"INBOX");
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    bool bOk = pImap->Connect(server, user, password, static_cast<long>(nPort)) == S_OK &&
               pImap->FetchUids(inbox, 0) == S_OK;
    for (size_t i = 0; bOk && i < sink.m_Uids.size(); ++i)
        bOk = pImap->FetchMessageByUid(sink.m_Uids[i]) == S_OK;
    const double seconds = Seconds(start);
    pImap->EndFolderCommand();
    SysFreeString(server);
    SysFreeString(user);
    SysFreeString(password);
    SysFreeString(inbox);
    if (pPoint)
    {
        pPoint->Unadvise(dwCookie);
        pPoint->Release();
    }
    if (pContainer)
        pContainer->Release();
    pImap->Release();
    printf("OrbIMAP: %d of %d messages, %zu bytes\n", sink.m_nMessages, static_cast<int>(sink.m_Uids.size()),
           sink.m_nBytes);
    return bOk && sink.m_nMessages == kPop3Messages ? seconds : -1;
}

double RunMbsync(const std::string& peerDir, UINT nPort)
{
    const std::string folder = peerDir + "/mbsync";
    const std::string config = folder + "/mbsyncrc";
    CreateDirectoryA(WindowsPath(folder).c_str(), NULL);
    const std::string text = "IMAPAccount bench\nHost 127.0.0.1\nPort " + std::to_string(nPort) +
                             "\nUser bench\nPass benchpw\nSSLType None\nAuthMechs LOGIN\n\n"
                             "IMAPStore remote\nAccount bench\n\n"
                             "MaildirStore local\nPath " + folder + "/local/\nInbox " + folder + "/local/INBOX\n\n"
                             "Channel pull\nFar :remote:\nNear :local:\nPatterns INBOX\nSync Pull\nCreate Near\n"
                             "SyncState *\n";
    if (!WriteFileText(WindowsPath(config), text))
        return -1;
    return RunHostScript(folder, "rm -rf " + folder + "/local && mkdir -p " + folder + "/local && mbsync -q -c " + config + " pull >/dev/null 2>&1 && [ $(ls " +
                                     folder + "/local/INBOX/new " + folder + "/local/INBOX/cur | grep -c ,) -eq " +
                                     std::to_string(kPop3Messages) + " ]");
}

} // namespace

int main()
{
    const char* pszPeerDir = getenv("ORB_PEER_DIR");
    const char* pszPort = getenv("ORB_IMAP_PORT");
    if (!pszPeerDir || !pszPort)
    {
        printf("IMAP benchmark: ORB_PEER_DIR and ORB_IMAP_PORT are not set; run it through ./test\n");
        return 0;
    }
    CoInitialize(NULL);
    FillBenchMailbox(pszPeerDir);
    const UINT nPort = static_cast<UINT>(atoi(pszPort));
    const double ours = RunComponent(nPort);
    const double peer = RunMbsync(pszPeerDir, nPort);
    PrintRatio("IMAP fetch of 2000 messages from dovecot (UID list, then each by UID)", "mbsync", ours, peer);
    CoUninitialize();
    return 0;
}
