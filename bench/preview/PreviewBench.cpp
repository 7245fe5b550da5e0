// Steps the main window's preview through 200 stored corpus messages (from selecting the row to the body
// view's DownloadComplete), beside the HTML view alone loading the same view files, in the same run.
// Prints both times and their ratio; asserts nothing.
#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>

#include <commctrl.h>

#include <atlapp.h>
#include <atlbase.h>
#include <atlcom.h>
#include <atlhost.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "MainFrameFixture.h"
#include "StoreTestSupport.h"
#include "app/LetrovaGlobals.h"
#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"
#include "foundation/WindowMessages.h"
#include "platform/htmlview/HtmlView.h"

namespace
{
const int kMessages = 200;
const int kViewId = 4711;

// Signals each DownloadComplete of the browser it is advised to.
class CDownloadSink : public IDispEventImpl<kViewId, CDownloadSink, &DIID_DWebBrowserEvents2>
{
public:
    BEGIN_SINK_MAP(CDownloadSink)
    SINK_ENTRY_EX(kViewId, DIID_DWebBrowserEvents2, DISPID_DOWNLOADCOMPLETE, OnDownloadComplete)
    END_SINK_MAP()

    HRESULT STDMETHODCALLTYPE OnDownloadComplete()
    {
        ::SetEvent(m_hDone);
        return S_OK;
    }
    HANDLE m_hDone = ::CreateEventA(NULL, FALSE, FALSE, NULL);
};

std::vector<std::string> CorpusMessages()
{
    std::vector<std::string> messages;
    for (const char* pszFolder : {"/real-mail", "/mime"})
    {
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(ORB_TEST_DATA_DIR) + pszFolder, error))
        {
            if (entry.path().extension() != ".eml")
                continue;
            std::ifstream file(entry.path(), std::ios::binary);
            messages.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        }
    }
    return messages;
}

std::string SqlText(const std::string& text)
{
    std::string quoted;
    for (char c : text)
    {
        if (c == '\0')
            continue;
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted;
}

std::string CopiesFolder()
{
    char szTemp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, szTemp);
    const std::string strCopies = std::string(szTemp) + "preview-bench";
    ::CreateDirectoryA(strCopies.c_str(), nullptr);
    return strCopies;
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void PumpUntil(HANDLE hEvent)
{
    while (::MsgWaitForMultipleObjects(1, &hEvent, FALSE, 20000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}
} // namespace

int main()
{
    ::OleInitialize(nullptr);
    InitFoundationUi();
    RegisterLetrovaMessages();
    RegisterLetrovaAreYouMe();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_TREEVIEW_CLASSES |
                                                 ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    _Module.Init(nullptr, ::GetModuleHandleA(nullptr));
    // Nothing may wait for a click.
    SetAppMessageBoxHook([](const char*, const char*, UINT, HWND) { return IDNO; });

    std::vector<std::string> corpus = CorpusMessages();
    if (corpus.empty())
    {
        std::printf("preview_bench: no corpus\n");
        return 0;
    }
    double preview = 0, alone = 0;
    std::vector<std::string> views;
    {
        CMainFrameFixture store;
        for (int i = 0; i < kMessages; i++)
        {
            CString strSQL;
            strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                          "Encode) VALUES (%d, 'm%03d', '%s', 'corpus', %ld, 0, 'b%d', 0, 0)",
                          45000 + i, i, SqlText(corpus[i % corpus.size()]).c_str(), (long)store.m_nInbox, i);
            Execute(store.Local(), strSQL);
        }
        if (store.Start() == nullptr)
        {
            std::printf("preview_bench: no main window\n");
            return 0;
        }
        CRightPane& right = store.m_pFrame->m_client.m_container.m_right;
        store.Select(store.m_nAlpha);
        store.Select(store.m_nInbox);
        for (int n = 0; n < 2000; n++)
        {
            bool bReady = false;
            store.OnFrame([&] {
                MSG msg;
                bReady = !right.m_list.m_list.IsFilling() && right.m_list.m_list.GetRowCount() == kMessages &&
                         !::PeekMessageA(&msg, right.m_list.m_list.m_hWnd, 0, 0, PM_NOREMOVE);
            });
            if (bReady)
                break;
            ::Sleep(10);
        }
        CDownloadSink sink;
        store.OnFrame([&] { sink.DispEventAdvise(right.m_preview.m_body.m_spBrowser); });
        const std::string strCopies = CopiesFolder();

        for (int i = 0; i < kMessages; i++)
        {
            HWND hList = right.m_list.m_list.m_hWnd;
            ::ResetEvent(sink.m_hDone);
            auto start = std::chrono::steady_clock::now();
            store.OnFrame([&] {
                ListView_SetItemState(hList, -1, 0, LVIS_SELECTED);
                ListView_SetItemState(hList, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            });
            if (::WaitForSingleObject(sink.m_hDone, 20000) != WAIT_OBJECT_0)
                continue;
            preview += Milliseconds(std::chrono::steady_clock::now() - start);
            // The view file as the preview showed it, kept for the view alone.
            CComBSTR bstrUrl;
            store.OnFrame([&] { right.m_preview.m_body.m_spBrowser->get_LocationURL(&bstrUrl); });
            std::wstring url(bstrUrl != nullptr ? (const wchar_t*)bstrUrl : L"about:blank");
            std::string strCopy = strCopies + "\\view" + std::to_string(i) + ".htm";
            // A message without a body shows an empty page, which the view alone shows too.
            if (::CopyFileW(url.c_str(), std::wstring(strCopy.begin(), strCopy.end()).c_str(), FALSE))
                views.push_back(strCopy);
            else
                views.push_back(std::string(url.begin(), url.end()));
        }
        store.OnFrame([&] { sink.DispEventUnadvise(right.m_preview.m_body.m_spBrowser); });
    }

    const std::string strCopies = CopiesFolder();
    CHtmlView::RegisterClass();
    HWND hHost = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 860, 400, nullptr, nullptr,
                                   nullptr, nullptr);
    ::CreateWindowExW(WS_EX_CLIENTEDGE, HTMLVIEW_CLASS, L"", WS_CHILD | WS_VISIBLE, 0, 0, 860, 400, hHost,
                      (HMENU)(INT_PTR)kViewId, nullptr, nullptr);
    CComPtr<IWebBrowser2> pBrowser;
    AtlGetDlgControl(hHost, kViewId, IID_IWebBrowser2, (void**)&pBrowser);
    CDownloadSink sink;
    if (pBrowser != nullptr)
    {
        sink.DispEventAdvise(pBrowser);
        for (const std::string& strView : views)
        {
            CComBSTR bstrPath(strView.c_str());
            ::ResetEvent(sink.m_hDone);
            auto start = std::chrono::steady_clock::now();
            pBrowser->Navigate(bstrPath, nullptr, nullptr, nullptr, nullptr);
            PumpUntil(sink.m_hDone);
            alone += Milliseconds(std::chrono::steady_clock::now() - start);
            if (strView.find(strCopies) == 0)
                ::DeleteFileA(strView.c_str());
        }
        sink.DispEventUnadvise(pBrowser);
    }
    ::DestroyWindow(hHost);
    const size_t n = views.empty() ? 1 : views.size();
    std::printf("preview_bench: %zu messages; preview, selection to DownloadComplete %.2f ms/message; HTML view "
                "alone on the same view files %.2f ms/message; ratio %.2f\n",
                views.size(), preview / n, alone / n, alone > 0 ? preview / alone : 0.0);
    _Module.Term();
    ::OleUninitialize();
    return 0;
}
