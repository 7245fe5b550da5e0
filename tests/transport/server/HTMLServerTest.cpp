// Tests of the local HTTP server against Python clients on loopback (http.client and raw sockets) and a
// Windows Sockets client of the test's own where the test must see the server between two sends.
#include "transport/SocketListening.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ServerTestSupport.h"
#include "UiThread.h"
#include "WindowReaders.h"
#include "foundation/Exception.h"
#include "platform/htmlview/HtmlLinkFetch.h"
#include "transport/HTMLServerConnection.h"
#include "transport/HttpRequestReader.h"
#include "transport/SocketMessageHandler.h"

namespace
{

// Answers every number with a small page and records what it was asked.
class CRecordingServer : public CSocketListening
{
public:
    explicit CRecordingServer(UINT nPort) : CSocketListening(nPort) {}
    CString GetReply(CHTMLServerConnection*, const char* pszNumber) override
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        m_Asked.push_back(pszNumber);
        return CString("<p>rule ") + pszNumber + "</p>";
    }
    std::vector<std::string> Asked()
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        return m_Asked;
    }

private:
    std::mutex m_Lock;
    std::vector<std::string> m_Asked;
};

std::string Hex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes)
    {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

std::string Framed(const std::string& body)
{
    return std::string("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: ") +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

bool CanBind(UINT nPort)
{
    SOCKET hSocket = socket(AF_INET, SOCK_STREAM, 0);
    SOCKADDR_IN addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(nPort));
    addr.sin_addr.s_addr = inet_addr("127.0.0.1");
    const bool bFree = bind(hSocket, reinterpret_cast<SOCKADDR*>(&addr), sizeof(addr)) == 0;
    closesocket(hSocket);
    return bFree;
}

SOCKET ConnectTo(UINT nPort)
{
    SOCKET hSocket = socket(AF_INET, SOCK_STREAM, 0);
    SOCKADDR_IN addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(nPort));
    addr.sin_addr.s_addr = inet_addr("127.0.0.1");
    if (connect(hSocket, reinterpret_cast<SOCKADDR*>(&addr), sizeof(addr)) != 0)
    {
        closesocket(hSocket);
        return INVALID_SOCKET;
    }
    return hSocket;
}

class HTMLServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE((HWND)NULL, m_Ui.Start([] { return CSocketMessageHandler::Instance().Create(); }));
    }
    void TearDown() override
    {
        m_Ui.Invoke([&] {
            m_pServer.reset();
            CSocketMessageHandler::Instance().Destroy();
        });
    }

    // The server lives on the handler's thread, as the rules page's does.
    void StartServer(UINT nPort = 6500)
    {
        m_Ui.Invoke([&] { m_pServer.reset(new CRecordingServer(nPort)); });
        ASSERT_TRUE(m_pServer);
    }
    size_t Connections()
    {
        size_t nCount = 0;
        m_Ui.Invoke([&] { nCount = m_pServer->m_Connections.size(); });
        return nCount;
    }
    std::string Pending()
    {
        std::string strPending;
        m_Ui.Invoke([&] {
            if (!m_pServer->m_Connections.empty())
                strPending = m_pServer->m_Connections[0]->m_Reader.Pending();
        });
        return strPending;
    }

    CUiThread m_Ui{_Module};
    std::unique_ptr<CRecordingServer> m_pServer;
};

TEST_F(HTMLServerTest, HttpClientGetsTheOwnersTextAsAWholeResponseFromTheLoopbackAddress)
{
    StartServer();
    SOCKADDR_IN addr = {};
    int nLength = sizeof(addr);
    getsockname(m_pServer->m_hSocket, reinterpret_cast<SOCKADDR*>(&addr), &nLength);
    EXPECT_STREQ("127.0.0.1", inet_ntoa(addr.sin_addr)) << "no other host may reach the server";
    EXPECT_EQ(m_pServer->m_nPort, ntohs(addr.sin_port));
    EXPECT_GE(m_pServer->m_nPort, 6500u);
    EXPECT_LE(m_pServer->m_nPort, 6599u);

    const std::string strOutput = RunPythonClient({"get", std::to_string(m_pServer->m_nPort), "/?17"});
    EXPECT_NE(std::string::npos, strOutput.find("status 200\n")) << strOutput;
    EXPECT_NE(std::string::npos, strOutput.find("header Content-Type: text/html\n")) << strOutput;
    EXPECT_NE(std::string::npos, strOutput.find("header Content-Length: 14\n")) << strOutput;
    EXPECT_NE(std::string::npos, strOutput.find("body <p>rule 17</p>\n")) << strOutput;
    EXPECT_EQ(std::vector<std::string>{"17"}, m_pServer->Asked()) << "header lines ask for nothing";
}

TEST_F(HTMLServerTest, EachWholeRequestLineOfAPacketIsMatchedAndAnswered)
{
    struct Case
    {
        const char* pszName;
        std::string strSent;
        std::vector<std::string> asked;
    };
    const Case cases[] = {
        {"empty number", "GET /? HTTP/1.1\r\n\r\n", {""}},
        {"other path and method ignored",
         "GET /x HTTP/1.1\r\nPOST /?17 HTTP/1.1\r\nGET /?5 HTTP/1.1\r\n",
         {"5"}},
        {"lower case", "get /?5 http/1.0\r\n\r\n", {"5"}},
        {"two requests in one packet", "GET /?1 HTTP/1.1\r\n\r\nGET /?2 HTTP/1.1\r\n\r\n", {"1", "2"}},
        {"ten digits get no reply",
         "GET /?1234567890 HTTP/1.1\r\nGET /?123456789 HTTP/1.1\r\n",
         {"123456789"}},
        {"a header line holding a request", "Referer: GET /?9 HTTP/1.1\r\nGET /?3 HTTP/1.1\r\n", {"3"}},
    };
    StartServer();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        m_Ui.Invoke([&] {
            m_pServer.reset();
            m_pServer.reset(new CRecordingServer(6500));
        });
        const std::string strOutput = RunPythonClient(
            {"raw", std::to_string(m_pServer->m_nPort), Hex(c.strSent), std::to_string(c.asked.size())});
        std::string strExpected;
        for (const std::string& number : c.asked)
            strExpected += "response " + Hex(Framed("<p>rule " + number + "</p>")) + "\n";
        EXPECT_EQ(strExpected, strOutput);
        EXPECT_EQ(c.asked, m_pServer->Asked());
    }
}

TEST_F(HTMLServerTest, ARequestLineInTwoPiecesIsServedWhenItsLineEndArrives)
{
    StartServer();
    SOCKET hClient = ConnectTo(m_pServer->m_nPort);
    ASSERT_NE(INVALID_SOCKET, hClient);
    ASSERT_EQ(7, send(hClient, "GET /?4", 7, 0));
    ASSERT_TRUE(WaitFor([&] { return Pending() == "GET /?4"; }));
    EXPECT_TRUE(m_pServer->Asked().empty());
    const char szRest[] = " HTTP/1.1\r\n";
    ASSERT_EQ(11, send(hClient, szRest, 11, 0));
    const std::string strExpected = Framed("<p>rule 4</p>");
    std::string strReceived;
    char buffer[512];
    int nCount;
    while (strReceived.size() < strExpected.size() && (nCount = recv(hClient, buffer, sizeof(buffer), 0)) > 0)
        strReceived.append(buffer, nCount);
    EXPECT_EQ(strExpected, strReceived);
    EXPECT_EQ(std::vector<std::string>{"4"}, m_pServer->Asked());
    closesocket(hClient);
}

TEST_F(HTMLServerTest, APortHeldByAnotherSocketMovesTheServerToTheNextFreeOne)
{
    SOCKET hHolder = socket(AF_INET, SOCK_STREAM, 0);
    SOCKADDR_IN addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(6500);
    addr.sin_addr.s_addr = inet_addr("127.0.0.1");
    // When the bind fails something else holds 6500 already, which is the case under test as well.
    if (bind(hHolder, reinterpret_cast<SOCKADDR*>(&addr), sizeof(addr)) == 0)
        listen(hHolder, 1);
    UINT nExpected = 6501;
    while (nExpected < 6600 && !CanBind(nExpected))
        ++nExpected;
    StartServer(6500);
    EXPECT_EQ(nExpected, m_pServer->m_nPort);
    closesocket(hHolder);
}

// The HTML views fetch links of this machine only from the ports our own servers listen on.
TEST_F(HTMLServerTest, ItsPortIsOfferedToTheViewsWhileItListens)
{
    StartServer();
    const int nPort = static_cast<int>(m_pServer->m_nPort);
    ASSERT_LT(nPort, 6600);
    EXPECT_TRUE(CHtmlLinkFetch::IsServerPort(nPort));
    EXPECT_FALSE(CHtmlLinkFetch::IsServerPort(nPort + 1));
    m_Ui.Invoke([&] { m_pServer.reset(); });
    EXPECT_FALSE(CHtmlLinkFetch::IsServerPort(nPort));
}

TEST_F(HTMLServerTest, AConnectionThePeerClosesIsRemoved)
{
    StartServer();
    SOCKET hClient = ConnectTo(m_pServer->m_nPort);
    ASSERT_NE(INVALID_SOCKET, hClient);
    ASSERT_TRUE(WaitFor([&] { return Connections() == 1; }));
    CHTMLServerConnection* pGone = NULL;
    m_Ui.Invoke([&] { pGone = m_pServer->m_Connections[0]; });
    closesocket(hClient);
    EXPECT_TRUE(WaitFor([&] { return Connections() == 0; }));
    // The rules page closes the connection of each link it was asked for, maybe after the peer did.
    m_Ui.Invoke([&] { m_pServer->CloseConnection(pGone); });
    EXPECT_EQ(0u, Connections());
}

TEST_F(HTMLServerTest, SixtyFourKilobytesWithoutALineEndCloseTheConnection)
{
    StartServer();
    SOCKET hClient = ConnectTo(m_pServer->m_nPort);
    ASSERT_NE(INVALID_SOCKET, hClient);
    const std::string strFlood(65536, 'A');
    send(hClient, strFlood.data(), static_cast<int>(strFlood.size()), 0);
    EXPECT_TRUE(WaitFor([&] { return Connections() == 0; }));
    char buffer[16];
    EXPECT_LE(recv(hClient, buffer, sizeof(buffer), 0), 0) << "the server closed its end";
    EXPECT_TRUE(m_pServer->Asked().empty());
    closesocket(hClient);
}

TEST(HttpRequestReaderTest, LinesAreTakenWholeAndPendingTextIsCapped)
{
    CHttpRequestReader reader;
    std::string strLine;
    reader.Append("GET /?1 HTTP/1.1\r\nHost", 22);
    ASSERT_TRUE(reader.NextLine(strLine));
    EXPECT_EQ("GET /?1 HTTP/1.1", strLine);
    EXPECT_FALSE(reader.NextLine(strLine));
    EXPECT_EQ("Host", reader.Pending());
    reader.Append(std::string(CHttpRequestReader::kMaxPending - 4, 'x').data(),
                  CHttpRequestReader::kMaxPending - 4);
    EXPECT_FALSE(reader.Overflowed()) << "exactly the cap";
    reader.Append("x", 1);
    EXPECT_TRUE(reader.Overflowed());

    std::string strNumber;
    EXPECT_FALSE(CHttpRequestReader::MatchRequest(std::string("GET /?1\0 HTTP/1.1", 17), strNumber))
        << "a zero byte in the line";
    EXPECT_FALSE(CHttpRequestReader::MatchRequest("GET /?17", strNumber)) << "no blank after the number";
}

} // namespace
