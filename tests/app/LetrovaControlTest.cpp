// The COM object hosted as a control: created by its ProgID in the system's AtlAxWin container, it shows
// its own template in the container's window and answers the container's OLE calls.
#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <string>

#include "app/Letrova.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"

extern "C" BOOL WINAPI AtlAxWinInit();
extern "C" HRESULT WINAPI AtlAxGetControl(HWND hWnd, IUnknown** pUnk);

namespace
{
DWORD RunAndWait(std::string strCommandLine)
{
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, &strCommandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return ::GetLastError();
    ::WaitForSingleObject(pi.hProcess, 120000);
    DWORD dwExitCode = 1;
    ::GetExitCodeProcess(pi.hProcess, &dwExitCode);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return dwExitCode;
}

void PumpPending()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

HWND FindChildDialog(HWND hWndParent)
{
    for (HWND hWnd = ::GetWindow(hWndParent, GW_CHILD); hWnd != nullptr; hWnd = ::GetWindow(hWnd, GW_HWNDNEXT))
    {
        char szClass[32] = {};
        ::GetClassNameA(hWnd, szClass, sizeof(szClass));
        if (std::string(szClass) == "#32770")
            return hWnd;
    }
    return nullptr;
}

TEST(LetrovaControlTest, AnAtlAxWinHostShowsTheTemplateAndTheObjectAnswersAsAControl)
{
    const std::string strDll = ORB_MAIL_DLL;
    ASSERT_EQ(0u, RunAndWait("regsvr32.exe /s \"" + strDll + "\""));
    CFreshSettings settings;
    ASSERT_TRUE(::AtlAxWinInit());

    HWND hWndFrame = ::CreateWindowExA(0, "STATIC", "Control host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 420,
                                       200, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, hWndFrame);
    HWND hWndHost = ::CreateWindowExA(0, "AtlAxWin", "LetrovaObject.Letrova", WS_CHILD | WS_VISIBLE, 10, 10, 360,
                                      120, hWndFrame, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, hWndHost);
    PumpPending();

    HWND hWndComposite = FindChildDialog(hWndHost);
    ASSERT_NE(nullptr, hWndComposite);
    EXPECT_TRUE(::IsWindowVisible(hWndComposite));
    EXPECT_EQ("Vorn Email", WindowText(::GetDlgItem(hWndComposite, IDC_LETROVA_CONTROL_TEXT)));
    RECT rcHost = {}, rcComposite = {};
    ::GetClientRect(hWndHost, &rcHost);
    ::GetClientRect(hWndComposite, &rcComposite);
    EXPECT_EQ(rcHost.right, rcComposite.right);
    EXPECT_EQ(rcHost.bottom, rcComposite.bottom);
    ::UpdateWindow(hWndFrame);
    SaveWindowScreenshot(hWndFrame, "letrova-control");

    CComPtr<IUnknown> pControl;
    ASSERT_EQ(S_OK, ::AtlAxGetControl(hWndHost, &pControl));
    CComPtr<IOleObject> pOleObject;
    ASSERT_EQ(S_OK, pControl->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&pOleObject)));
    DWORD dwStatus = 0;
    EXPECT_EQ(S_OK, pOleObject->GetMiscStatus(DVASPECT_CONTENT, &dwStatus));
    EXPECT_EQ(131473u, dwStatus);
    CComPtr<IOleInPlaceObject> pInPlace;
    ASSERT_EQ(S_OK, pControl->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&pInPlace)));
    HWND hWndObject = nullptr;
    EXPECT_EQ(S_OK, pInPlace->GetWindow(&hWndObject));
    EXPECT_EQ(hWndComposite, hWndObject);
    CComPtr<ILetrova> pLetrova;
    EXPECT_EQ(S_OK, pControl->QueryInterface(IID_ILetrova, reinterpret_cast<void**>(&pLetrova)));

    // A resized host moves the control's window with it.
    ::MoveWindow(hWndHost, 10, 10, 300, 90, TRUE);
    PumpPending();
    ::GetClientRect(hWndComposite, &rcComposite);
    EXPECT_EQ(300, rcComposite.right);
    EXPECT_EQ(90, rcComposite.bottom);

    pInPlace.Release();
    pOleObject.Release();
    pLetrova.Release();
    pControl.Release();
    ::DestroyWindow(hWndFrame);
    PumpPending();
    EXPECT_FALSE(::IsWindow(hWndComposite));
    ASSERT_EQ(0u, RunAndWait("regsvr32.exe /s /u \"" + strDll + "\""));
}
} // namespace
