// Tests of the thread-safe socket layer under Wine: the handler window pumps on a UI thread of its own, as
// the main window's thread does in the program.
#include "transport/SocketAsyncMT.h"

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "ServerTestSupport.h"
#include "UiThread.h"
#include "WindowReaders.h"
#include "foundation/Exception.h"
#include "foundation/FoundationUi.h"
#include "transport/SocketMessageHandler.h"
#include "transport/SocketSyncMT.h"

namespace
{

class CCountingSocket : public CSocketSyncMT
{
public:
    void OnReceive(int) override { ++m_nReceive; }
    void OnOutOfBand(int) override
    {
        ++m_nOutOfBand;
        if (m_onOutOfBand)
            m_onOutOfBand();
    }
    void OnAccept(int) override
    {
        ++m_nAccept;
        if (m_onAccept)
            m_onAccept();
    }
    std::atomic<int> m_nReceive{0};
    std::atomic<int> m_nOutOfBand{0};
    std::atomic<int> m_nAccept{0};
    std::function<void()> m_onOutOfBand;
    std::function<void()> m_onAccept;
};

SOCKADDR_IN LocalAddress(SOCKET hSocket)
{
    SOCKADDR_IN addr = {};
    int nLength = sizeof(addr);
    getsockname(hSocket, reinterpret_cast<SOCKADDR*>(&addr), &nLength);
    return addr;
}

class SocketLayerMTTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hWndHandler = m_Ui.Start([] { return CSocketMessageHandler::Instance().Create(); });
        ASSERT_NE((HWND)NULL, m_hWndHandler);
    }
    void TearDown() override
    {
        m_Ui.Invoke([] { CSocketMessageHandler::Instance().Destroy(); });
    }

    // Posts the notifications from the handler's thread and handles every socket message waiting there,
    // so that the test knows they have all been through.
    void DeliverOnHandlerThread(const std::vector<std::pair<SOCKET, long>>& notices)
    {
        const HWND hWnd = m_hWndHandler;
        m_Ui.Invoke([&] {
            for (const auto& notice : notices)
                ::PostMessageA(hWnd, WM_SOCKET_NOTIFY, notice.first, WSAMAKESELECTREPLY(notice.second, 0));
            MSG msg;
            while (::PeekMessageA(&msg, hWnd, WM_SOCKET_NOTIFY, WM_SOCKET_DEAD, PM_REMOVE))
                ::DispatchMessageA(&msg);
        });
    }

    CUiThread m_Ui{_Module};
    HWND m_hWndHandler = NULL;
};

TEST_F(SocketLayerMTTest, ReadNoticeCallsOnReceiveOnlyWhenBytesWait)
{
    SOCKET hListen = socket(AF_INET, SOCK_STREAM, 0);
    SOCKADDR_IN addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = inet_addr("127.0.0.1");
    ASSERT_EQ(0, bind(hListen, reinterpret_cast<SOCKADDR*>(&addr), sizeof(addr)));
    ASSERT_EQ(0, listen(hListen, 1));
    addr = LocalAddress(hListen);

    CCountingSocket client;
    ASSERT_TRUE(client.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS, "127.0.0.1"));
    client.CSocketAsyncMT::ConnectRaw(reinterpret_cast<SOCKADDR*>(&addr), sizeof(addr));
    SOCKET hServer = accept(hListen, NULL, NULL);
    ASSERT_NE(INVALID_SOCKET, hServer);

    DeliverOnHandlerThread({{client.m_hSocket, FD_READ}, {client.m_hSocket, FD_OOB}});
    EXPECT_EQ(1, client.m_nOutOfBand.load()) << "the notices went through";
    EXPECT_EQ(0, client.m_nReceive.load()) << "no byte waits";

    ASSERT_EQ(1, send(hServer, "x", 1, 0));
    EXPECT_TRUE(WaitFor([&] { return client.m_nReceive.load() > 0; }));

    client.Close();
    closesocket(hServer);
    closesocket(hListen);
}

TEST_F(SocketLayerMTTest, ClosingTheLastSocketClearsTheWindowAndTheNextCreateTakesItAgain)
{
    CCountingSocket first, second;
    ASSERT_TRUE(first.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS, "127.0.0.1"));
    ASSERT_TRUE(second.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS, "127.0.0.1"));
    EXPECT_EQ(m_hWndHandler, CSocketAsyncMT::GetNotifyWindow());
    first.Close();
    EXPECT_EQ(m_hWndHandler, CSocketAsyncMT::GetNotifyWindow()) << "one socket is left";
    second.Close();
    EXPECT_EQ((HWND)NULL, CSocketAsyncMT::GetNotifyWindow());

    CCountingSocket third;
    ASSERT_TRUE(third.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS, "127.0.0.1"));
    EXPECT_EQ(m_hWndHandler, CSocketAsyncMT::GetNotifyWindow());
    DeliverOnHandlerThread({{third.m_hSocket, FD_OOB}});
    EXPECT_EQ(1, third.m_nOutOfBand.load()) << "notices reach the socket through the window taken again";
    third.Close();
}

TEST_F(SocketLayerMTTest, SocketErrorsOfTheBlockingCallsAreReturnedNotRaised)
{
    CSocketSyncMT socket;
    ASSERT_TRUE(socket.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS, "127.0.0.1"));
    char buffer[16];
    int nReceived = 0, nSent = 0;
    EXPECT_NO_THROW(nReceived = socket.Receive(buffer, sizeof(buffer))) << "never connected";
    EXPECT_EQ(-1, nReceived);
    EXPECT_NO_THROW(nSent = socket.Send("x", 1));
    EXPECT_EQ(-1, nSent);
    socket.Close();
}

TEST_F(SocketLayerMTTest, AsyncSelectOnAClosedHandleRaisesTheFatalError)
{
    CSocketSyncMT socket;
    ASSERT_TRUE(socket.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS, "127.0.0.1"));
    closesocket(socket.m_hSocket);
    CString strMessage;
    try
    {
        socket.AsyncSelect(FD_READ);
    }
    catch (CException* pException)
    {
        strMessage = pException->m_strMessage;
        delete pException;
    }
    EXPECT_STREQ("FATAL ERROR: AsyncSelect socket failed!\r\nThe descriptor is not a socket.", strMessage);
    EXPECT_NO_THROW(socket.Close()) << "the handle still leaves the maps";
    EXPECT_EQ((HWND)NULL, CSocketAsyncMT::GetNotifyWindow());
}

TEST_F(SocketLayerMTTest, AHandlerThatClosesTheLastSocketEndsTheLayerCleanly)
{
    CCountingSocket socket;
    ASSERT_TRUE(socket.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS, "127.0.0.1"));
    socket.m_onOutOfBand = [&] { socket.Close(); };
    const SOCKET hSocket = socket.m_hSocket;
    DeliverOnHandlerThread({{hSocket, FD_OOB}, {hSocket, FD_OOB}, {hSocket, FD_READ}});
    EXPECT_EQ(1, socket.m_nOutOfBand.load()) << "nothing reaches a closed socket";
    EXPECT_EQ(0, socket.m_nReceive.load());
    EXPECT_EQ(INVALID_SOCKET, socket.m_hSocket);
    EXPECT_EQ((HWND)NULL, CSocketAsyncMT::GetNotifyWindow());
}

TEST_F(SocketLayerMTTest, SocketsMadeAndClosedOnTwoThreadsWhileNoticesFlowLeaveTheLayerWorking)
{
    CCountingSocket listener;
    std::vector<std::unique_ptr<CCountingSocket>> accepted;
    listener.m_onAccept = [&] {
        std::unique_ptr<CCountingSocket> pConnection(new CCountingSocket);
        if (listener.CSocketAsyncMT::Accept(*pConnection))
        {
            pConnection->Close();
            accepted.push_back(std::move(pConnection));
        }
    };
    bool bListening = false;
    m_Ui.Invoke([&] {
        bListening = listener.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS, "127.0.0.1") &&
                     listen(listener.m_hSocket, SOMAXCONN) == 0;
    });
    ASSERT_TRUE(bListening);
    const SOCKADDR_IN addr = LocalAddress(listener.m_hSocket);

    struct CWorker
    {
        static DWORD WINAPI Run(LPVOID pParam)
        {
            const SOCKADDR_IN* pAddr = static_cast<const SOCKADDR_IN*>(pParam);
            for (int i = 0; i < 150; ++i)
            {
                CCountingSocket client;
                if (client.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS, "127.0.0.1"))
                    client.CSocketAsyncMT::ConnectRaw(reinterpret_cast<const SOCKADDR*>(pAddr),
                                                      sizeof(*pAddr));
                if (i % 3 == 0)
                    Sleep(0);
                client.Close();
            }
            return 0;
        }
    };
    HANDLE hThreads[2];
    for (HANDLE& hThread : hThreads)
        hThread = CreateThread(NULL, 0, CWorker::Run, const_cast<SOCKADDR_IN*>(&addr), 0, NULL);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, hThreads, TRUE, 60000));
    for (HANDLE hThread : hThreads)
        CloseHandle(hThread);

    // Everything that was posted is handled; then the listener is the only socket left.
    m_Ui.Invoke([&] {
        MSG msg;
        while (::PeekMessageA(&msg, m_hWndHandler, WM_SOCKET_NOTIFY, WM_SOCKET_DEAD, PM_REMOVE))
            ::DispatchMessageA(&msg);
    });
    EXPECT_EQ(m_hWndHandler, CSocketAsyncMT::GetNotifyWindow());

    // A new connection is still noticed, whatever handle values the closed sockets had.
    const int nAcceptedBefore = listener.m_nAccept.load();
    SOCKET hClient = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(0, connect(hClient, reinterpret_cast<const SOCKADDR*>(&addr), sizeof(addr)));
    EXPECT_TRUE(WaitFor([&] { return listener.m_nAccept.load() > nAcceptedBefore; }));
    closesocket(hClient);

    m_Ui.Invoke([&] {
        listener.Close();
        accepted.clear();
    });
    EXPECT_EQ((HWND)NULL, CSocketAsyncMT::GetNotifyWindow());
}

// A window of its own that passes the layer's messages on, as the rules' description pane does.
class CChainingWindow : public ATL::CWindowImpl<CChainingWindow>, public CSocketMessageMap
{
public:
    DECLARE_WND_CLASS("OrbTestChainingWindow")
    BEGIN_MSG_MAP(CChainingWindow)
        CHAIN_MSG_MAP(CSocketMessageMap)
    END_MSG_MAP()
    CChainingWindow() : CSocketMessageMap("CSocketListening") {}
};

TEST_F(SocketLayerMTTest, AFailingHandlerIsReportedUnderTheNameOfTheWindowThatPassedItsMessage)
{
    CChainingWindow chaining;
    HWND hWndChaining = NULL;
    m_Ui.Invoke([&] { hWndChaining = chaining.Create(HWND_MESSAGE); });
    ASSERT_NE((HWND)NULL, hWndChaining);
    struct Case
    {
        HWND hWnd;
        bool bThrowText;
        const char* pszPrompted;
    };
    const Case cases[] = {
        {m_hWndHandler, false, "ERROR: Handler failed."},
        {m_hWndHandler, true, "Unhandled exception!!!\r\nCSocketMessageHandler"},
        {hWndChaining, false, "ERROR: Handler failed."},
        {hWndChaining, true, "Unhandled exception!!!\r\nCSocketListening"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszPrompted);
        CCountingSocket socket;
        ASSERT_TRUE(socket.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS, "127.0.0.1"));
        socket.m_onOutOfBand = [&] {
            if (c.bThrowText)
                throw "Stop";
            throw new CException("ERROR: Handler failed.");
        };
        CBoxRecorder boxes(IDNO);
        const SOCKET hSocket = socket.m_hSocket;
        m_Ui.Invoke([&] { ::SendMessageA(c.hWnd, WM_SOCKET_NOTIFY, hSocket, WSAMAKESELECTREPLY(FD_OOB, 0)); });
        EXPECT_EQ(1, socket.m_nOutOfBand.load());
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ(std::string(c.pszPrompted) + "\r\n\r\nDo you want to email me the report about your problem?",
                  boxes.Texts()[0]);
        socket.Close();
    }
    m_Ui.Invoke([&] { chaining.DestroyWindow(); });
}

} // namespace
