// A message-only window that records the WM_COMMAND messages the store sends its owner.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

class CCommandRecorder
{
public:
    CCommandRecorder()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "StoreCommandRecorder";
        RegisterClassA(&wc);
        m_hWnd = CreateWindowA("StoreCommandRecorder", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, (LONG_PTR)this);
    }
    ~CCommandRecorder() { DestroyWindow(m_hWnd); }

    HWND m_hWnd;
    std::vector<std::pair<WORD, LPARAM>> m_commands;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        CCommandRecorder* pThis = (CCommandRecorder*)GetWindowLongPtrA(hWnd, GWLP_USERDATA);
        if (uMsg == WM_COMMAND && pThis != NULL)
        {
            pThis->m_commands.push_back(std::make_pair(LOWORD(wParam), lParam));
            return 0;
        }
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    }
};
