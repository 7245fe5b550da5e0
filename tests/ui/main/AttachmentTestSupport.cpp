// What the attachment dialog tests share.
#include "AttachmentTestSupport.h"

#include <fstream>
#include <sstream>

#include "app/LetrovaGlobals.h"
#include "foundation/WindowMessages.h"
#include "tests/support/WindowReaders.h"

std::string MessageWithAttachments(const std::vector<std::string>& names)
{
    std::string text = "From: a@x.org\r\nTo: b@x.org\r\nSubject: files\r\nMIME-Version: 1.0\r\n"
                       "Content-Type: multipart/mixed; boundary=\"part\"\r\n\r\n"
                       "--part\r\nContent-Type: text/plain\r\n\r\nsee the files\r\n";
    for (const std::string& name : names)
    {
        text += "--part\r\nContent-Type: application/octet-stream; name=\"" + name +
                "\"\r\nContent-Disposition: attachment; filename=\"" + name + "\"\r\n\r\ncontent of " + name +
                "\r\n";
    }
    return text + "--part--\r\n";
}

std::string ReadWholeFile(const CString& strPath)
{
    std::ifstream in((const char*)strPath, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteWholeFile(const CString& strPath, const std::string& strBytes)
{
    std::ofstream out((const char*)strPath, std::ios::binary);
    out.write(strBytes.data(), (std::streamsize)strBytes.size());
}

CSettingsOwner::CSettingsOwner(CRegistry* pRegistry)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = ::GetModuleHandleA(NULL);
    wc.lpszClassName = "OrbTestSettingsOwner";
    ::RegisterClassA(&wc);
    m_hWnd = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, wc.hInstance, NULL);
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, (LONG_PTR)pRegistry);
}

CSettingsOwner::~CSettingsOwner()
{
    ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CSettingsOwner::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == LetrovaGetRegistry && LetrovaGetRegistry != 0)
    {
        *reinterpret_cast<CRegistry**>(wParam) = (CRegistry*)::GetWindowLongPtrA(hWnd, GWLP_USERDATA);
        return 1;
    }
    return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

CModalRun::CModalRun(std::function<INT_PTR()> body) : m_ui(_Module)
{
    m_ui.Run([this, body]() {
        m_nResult = body();
        ::InterlockedExchange(&m_bDone, 1);
    });
}

bool CModalRun::Wait(DWORD dwTimeoutMs)
{
    return WaitFor([this]() { return m_bDone != 0; }, dwTimeoutMs);
}

std::unique_ptr<CRegistry> TestSettings()
{
    std::unique_ptr<CRegistry> pRegistry(new CRegistry("LetrovaAttachmentTests"));
    pRegistry->WriteProfileString("Virus Warning", NULL, NULL);
    return pRegistry;
}
