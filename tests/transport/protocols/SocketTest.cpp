// Tests of the two socket levels: start-up, notification dispatch and blocking calls.
#include "transport/SocketSync.h"

#include <gtest/gtest.h>

#include <string>

#include "ScriptedPeer.h"

namespace
{

// Counts the handlers that run; may close itself from OnReceive.
class CCountingSocket : public CSocketSync
{
public:
    void OnReceive(int nError) override
    {
        m_Errors.push_back(nError);
        if (m_bCloseOnReceive)
            Close();
    }
    void OnClose(int) override { ++m_nClosed; }
    // Tries a second blocking call from inside the running wait, then stops the wait.
    int OnWaitTick() override
    {
        if (m_bNestOnTick)
        {
            char buffer[8];
            m_nNestedResult = CSocketSync::Receive(buffer, sizeof(buffer));
            m_nNestedError = WSAGetLastError();
        }
        return 1;
    }

    std::vector<int> m_Errors;
    int m_nClosed = 0;
    bool m_bCloseOnReceive = false;
    bool m_bNestOnTick = false;
    int m_nNestedResult = 99;
    int m_nNestedError = 0;
};

TEST(SocketTest, InitStartsOnceAndCreatesAWindowForTheFirstSocket)
{
    CCountingSocket socket;
    EXPECT_TRUE(socket.Init());
    EXPECT_TRUE(socket.Init());
    EXPECT_EQ(socket.m_hWndNotify, (HWND)NULL);
    ASSERT_TRUE(socket.Create());
    ASSERT_NE(socket.m_hWndNotify, (HWND)NULL);
    const HWND hWnd = socket.m_hWndNotify;
    EXPECT_TRUE(IsWindow(hWnd));
    socket.Close();
    EXPECT_EQ(socket.m_hWndNotify, (HWND)NULL);
    EXPECT_FALSE(IsWindow(hWnd));
    socket.Term();
}

TEST(SocketTest, NotificationsReachTheirHandlers)
{
    CCountingSocket socket;
    socket.Init();
    ASSERT_TRUE(socket.Create());
    const WPARAM hSocket = static_cast<WPARAM>(socket.m_hSocket);
    // A read notification with nothing waiting and no error calls nothing; one with an error does.
    socket.QueueNotice(WM_SOCKET_NOTIFY, hSocket, WSAMAKESELECTREPLY(FD_READ, 0));
    socket.QueueNotice(WM_SOCKET_NOTIFY, hSocket, WSAMAKESELECTREPLY(FD_READ, WSAECONNRESET));
    socket.QueueNotice(WM_SOCKET_NOTIFY, hSocket, WSAMAKESELECTREPLY(FD_CLOSE, 0));
    socket.QueueNotice(WM_SOCKET_NOTIFY, 0, 0);                                         // the wake-up message
    socket.QueueNotice(WM_SOCKET_NOTIFY, hSocket + 4, WSAMAKESELECTREPLY(FD_CLOSE, 0)); // not ours
    EXPECT_EQ(socket.ProcessQueue(), 5);
    EXPECT_EQ(socket.m_Errors, std::vector<int>{WSAECONNRESET});
    EXPECT_EQ(socket.m_nClosed, 1);
    socket.Close();
    socket.Term();
}

TEST(SocketTest, AHandlerThatClosesTheLastSocketEndsTheQueue)
{
    CCountingSocket socket;
    socket.Init();
    ASSERT_TRUE(socket.Create());
    socket.m_bCloseOnReceive = true;
    const WPARAM hSocket = static_cast<WPARAM>(socket.m_hSocket);
    for (int i = 0; i < 3; ++i)
        socket.QueueNotice(WM_SOCKET_NOTIFY, hSocket, WSAMAKESELECTREPLY(FD_READ, WSAECONNRESET));
    // Closing the last socket empties the queue: the rest are dropped, not run on a closed socket.
    EXPECT_EQ(socket.ProcessQueue(), 1);
    EXPECT_EQ(socket.m_Errors.size(), 1u);
    EXPECT_EQ(socket.m_hSocket, INVALID_SOCKET);
    socket.Term();
}

TEST(SocketTest, BlockingCallsOverALoopbackConnection)
{
    CScriptedPeer peer;
    peer.Send("hello").Expect("ping").Close();
    const UINT nPort = peer.Start();
    CCountingSocket socket;
    socket.Init();
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect("127.0.0.1", nPort));
    char buffer[16] = {0};
    EXPECT_EQ(socket.Receive(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(socket.Send("ping\r\n", 6), 6);
    // The peer closed: the receive gives 0.
    EXPECT_EQ(socket.Receive(buffer, sizeof(buffer)), 0);
    EXPECT_EQ(peer.Finish(), "");
    socket.Close();
    socket.Term();
}

TEST(SocketTest, ASecondBlockingCallDuringAWaitFailsAtOnce)
{
    HANDLE hDone = CreateEventA(NULL, TRUE, FALSE, NULL);
    CScriptedPeer peer;
    peer.WaitFor(hDone);
    const UINT nPort = peer.Start();
    CCountingSocket socket;
    socket.Init();
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect("127.0.0.1", nPort));
    socket.m_nTimeOut = 20;
    socket.m_bNestOnTick = true;
    char buffer[16];
    // The tick stops the wait: the silent server gives nothing and the receive reports a stopped wait.
    EXPECT_EQ(socket.Receive(buffer, sizeof(buffer)), -1);
    EXPECT_EQ(socket.m_nNestedResult, 0);
    EXPECT_EQ(socket.m_nNestedError, WSAEINPROGRESS);
    SetEvent(hDone);
    socket.Close();
    socket.Term();
    peer.Finish();
    CloseHandle(hDone);
}

TEST(SocketTest, ConnectingToAClosedPortFails)
{
    CScriptedPeer peer;
    const UINT nPort = peer.Start();
    peer.Finish(0);
    CCountingSocket socket;
    socket.Init();
    ASSERT_TRUE(socket.Create());
    EXPECT_FALSE(socket.Connect("127.0.0.1", nPort));
    EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
    socket.Close();
    socket.Term();
}

} // namespace
