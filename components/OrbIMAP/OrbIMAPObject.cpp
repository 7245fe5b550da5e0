// The OrbIMAP COM object.
#include "components/OrbIMAP/OrbIMAPObject.h"

#include <new>
#include <vector>

#include "components/OrbIMAP/ImapError.h"

namespace
{

std::string Utf8(BSTR bstr)
{
    const int nLength = static_cast<int>(SysStringLen(bstr));
    if (nLength == 0)
        return std::string();
    const int nBytes = WideCharToMultiByte(CP_UTF8, 0, bstr, nLength, NULL, 0, NULL, NULL);
    std::string text(static_cast<size_t>(nBytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, bstr, nLength, &text[0], nBytes, NULL, NULL);
    return text;
}

BSTR FromUtf8(const std::string& text)
{
    const int nChars = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), NULL, 0);
    BSTR bstr = SysAllocStringLen(NULL, static_cast<UINT>(nChars));
    if (bstr != NULL && nChars > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bstr, nChars);
    return bstr;
}

BSTR FromUtf16(const std::u16string& text)
{
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

std::u16string Utf16(BSTR bstr)
{
    return std::u16string(reinterpret_cast<const char16_t*>(bstr ? bstr : L""), SysStringLen(bstr));
}

// A VARIANT argument holding a BSTR it owns.
struct CBstrArg
{
    explicit CBstrArg(BSTR bstr)
    {
        VariantInit(&var);
        var.vt = VT_BSTR;
        var.bstrVal = bstr;
        if (bstr == NULL)
            throw std::bad_alloc();
    }
    ~CBstrArg() { VariantClear(&var); }
    VARIANT var;
};

VARIANT Long(long n)
{
    VARIANT var;
    VariantInit(&var);
    var.vt = VT_I4;
    var.lVal = n;
    return var;
}

VARIANT Unsigned(uint32_t n)
{
    VARIANT var;
    VariantInit(&var);
    var.vt = VT_UI4;
    var.ulVal = n;
    return var;
}

} // namespace

COrbIMAP::COrbIMAP() : m_Session(m_Connector)
{
    m_Session.SetTrace([](const std::string& line) { OutputDebugStringA((line + "\r\n").c_str()); });
}

COrbIMAP::~COrbIMAP()
{
    try
    {
        m_Session.Logout();
    }
    catch (...)
    {
    }
}

HRESULT COrbIMAP::Call(const char* pszName, const std::function<void()>& call)
{
    CServingLock::CHold hold(m_Lock);
    try
    {
        m_strError.clear();
        call();
        return S_OK;
    }
    catch (const CImapError& e)
    {
        m_strError = e.what();
        try
        {
            if (e.Refused())
                FireOperationEnd(e.Status(), e.what());
        }
        catch (...)
        {
        }
        return e.Refused() ? E_FAIL : HRESULT_FROM_WIN32(ERROR_CONNECTION_ABORTED);
    }
    catch (const std::bad_alloc&)
    {
        m_strError = std::string("Out of memory in COrbIMAP::") + pszName + ".";
        return E_OUTOFMEMORY;
    }
    catch (...)
    {
        m_strError = std::string("Unhandled exception!!!\r\nCOrbIMAP::") + pszName + "(...)";
        return E_UNEXPECTED;
    }
}

void COrbIMAP::Login(BSTR bstrServer, BSTR bstrUser, BSTR bstrPassword, long nPort)
{
    if (nPort <= 0 || nPort > 65535)
        throw CImapError("The port " + std::to_string(nPort) + " is not a port.");
    m_Session.Login(Utf8(bstrServer), static_cast<unsigned>(nPort), Utf8(bstrUser), Utf8(bstrPassword));
}

void COrbIMAP::FireFolder(DISPID dispid, const CImapFolder& folder)
{
    CBstrArg attributes(FromUtf8(folder.strAttributes));
    CBstrArg delimiter(FromUtf8(folder.strDelimiter));
    CBstrArg name(FromUtf16(folder.strName));
    VARIANT args[3] = {attributes.var, delimiter.var, name.var};
    FireEvent(dispid, args, 3);
}

void COrbIMAP::FireOperationEnd(const std::string& strStatus, const std::string& strText)
{
    CBstrArg status(FromUtf8(strStatus));
    CBstrArg text(FromUtf8(strText));
    VARIANT args[2] = {status.var, text.var};
    FireEvent(2, args, 2);
}

void COrbIMAP::FireMessage(const std::string& strMessage, uint32_t nUid, uint32_t nFlags)
{
    // One byte to a character: the client takes the bytes back as they came, whatever their charset.
    BSTR bstr = SysAllocStringLen(NULL, static_cast<UINT>(strMessage.size()));
    if (bstr != NULL)
        for (size_t i = 0; i < strMessage.size(); ++i)
            bstr[i] = static_cast<unsigned char>(strMessage[i]);
    CBstrArg message(bstr);
    VARIANT args[3] = {message.var, Unsigned(nUid), Long(static_cast<long>(nFlags))};
    FireEvent(3, args, 3);
}

void COrbIMAP::FireUid(uint32_t nUid, uint32_t nFlags)
{
    VARIANT args[2] = {Unsigned(nUid), Long(static_cast<long>(nFlags))};
    FireEvent(4, args, 2);
}

void COrbIMAP::FireUidEnd(uint32_t nMessages)
{
    VARIANT args[1] = {Long(static_cast<long>(nMessages))};
    FireEvent(5, args, 1);
}

STDMETHODIMP COrbIMAP::List(BSTR bstrServer, BSTR bstrUser, BSTR bstrPassword, long nPort)
{
    return Call("List", [&] {
        Login(bstrServer, bstrUser, bstrPassword, nPort);
        // Events go out once the listing is whole: a handler may call back in.
        const std::vector<CImapFolder> folders = m_Session.ListFolders();
        for (const CImapFolder& folder : folders)
        {
            FireFolder(1, folder);
            FireFolder(6, folder);
        }
        FireOperationEnd("OK", "");
    });
}

STDMETHODIMP COrbIMAP::GetErrorText(BSTR* pbstrText)
{
    if (pbstrText == NULL)
        return E_POINTER;
    CServingLock::CHold hold(m_Lock);
    *pbstrText = FromUtf8(m_strError);
    return *pbstrText ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COrbIMAP::GetLoginUser(BSTR* pbstrUser)
{
    if (pbstrUser == NULL)
        return E_POINTER;
    CServingLock::CHold hold(m_Lock);
    *pbstrUser = FromUtf8(m_Session.User());
    return *pbstrUser ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COrbIMAP::GetLoginPassword(BSTR* pbstrPassword)
{
    if (pbstrPassword == NULL)
        return E_POINTER;
    CServingLock::CHold hold(m_Lock);
    *pbstrPassword = FromUtf8(m_Session.Password());
    return *pbstrPassword ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COrbIMAP::Connect(BSTR bstrServer, BSTR bstrUser, BSTR bstrPassword, long nPort)
{
    return Call("Connect", [&] { Login(bstrServer, bstrUser, bstrPassword, nPort); });
}

STDMETHODIMP COrbIMAP::CreateFolder(BSTR bstrPath)
{
    return Call("CreateFolder", [&] {
        m_Session.CreateFolder(Utf16(bstrPath));
        FireOperationEnd("OK", "");
    });
}

STDMETHODIMP COrbIMAP::SetCaption(BSTR bstrCaption)
{
    return Call("SetCaption", [&] { m_strCaption = Utf8(bstrCaption); });
}

STDMETHODIMP COrbIMAP::DeleteFolder(BSTR bstrPath)
{
    return Call("DeleteFolder", [&] {
        m_Session.DeleteFolder(Utf16(bstrPath));
        FireOperationEnd("OK", "");
    });
}

STDMETHODIMP COrbIMAP::EndFolderCommand()
{
    return Call("EndFolderCommand", [&] { m_Session.Logout(); });
}

STDMETHODIMP COrbIMAP::RenameFolder(BSTR bstrOldPath, BSTR bstrNewPath)
{
    return Call("RenameFolder", [&] {
        m_Session.RenameFolder(Utf16(bstrOldPath), Utf16(bstrNewPath));
        FireOperationEnd("OK", "");
    });
}

STDMETHODIMP COrbIMAP::FetchUids(BSTR bstrPath, long)
{
    return Call("FetchUids", [&] {
        std::vector<std::pair<uint32_t, uint32_t>> uids;
        const uint32_t nMessages =
            m_Session.FetchUids(Utf16(bstrPath), [&](uint32_t nUid, uint32_t nFlags) { uids.push_back({nUid, nFlags}); });
        for (const auto& uid : uids)
            FireUid(uid.first, uid.second);
        FireUidEnd(nMessages);
    });
}

STDMETHODIMP COrbIMAP::FetchMessage(BSTR bstrPath, unsigned long nUid)
{
    return Call("FetchMessage", [&] {
        std::string message;
        uint32_t nFlags = 0;
        if (!m_Session.FetchMessage(Utf16(bstrPath), nUid, message, nFlags))
            throw CImapError("The message is no longer on the server.");
        FireMessage(message, nUid, nFlags);
    });
}

STDMETHODIMP COrbIMAP::FetchMessageByUid(unsigned long nUid)
{
    return Call("FetchMessageByUid", [&] {
        std::string message;
        uint32_t nFlags = 0;
        // A message deleted since the listing is no failure: there is nothing to fetch.
        if (m_Session.FetchMessage(nUid, message, nFlags))
            FireMessage(message, nUid, nFlags);
    });
}

STDMETHODIMP COrbIMAP::DeleteMessages(BSTR bstrPath, BSTR bstrUids)
{
    return Call("DeleteMessages", [&] {
        std::vector<std::pair<uint32_t, uint32_t>> uids;
        m_Session.DeleteMessages(Utf16(bstrPath), Utf8(bstrUids),
                                 [&](uint32_t nUid, uint32_t nFlags) { uids.push_back({nUid, nFlags}); });
        for (const auto& uid : uids)
            FireUid(uid.first, uid.second);
        FireOperationEnd("OK", "");
    });
}

STDMETHODIMP COrbIMAP::put_Timeout(long nMilliseconds)
{
    return Call("put_Timeout", [&] {
        if (nMilliseconds <= 0)
            throw CImapError("A time-out must be longer than nothing.");
        m_Session.SetTimeout(static_cast<int>(nMilliseconds));
    });
}
