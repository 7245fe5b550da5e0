// Texts of the Windows Sockets error codes, as the socket layer reports them.
#include "transport/SocketErrors.h"

namespace
{

const struct
{
    int nCode;
    const char* pszText;
} kSocketErrors[] = {
    {10004, "The (blocking) call was canceled through WSACancelBlockingCall. "},
    {10013,
     "The requested address is a broadcast address, but the appropriate flag was not set. Call setsockopt "
     "with the SO_BROADCAST parameter to allow the use of the broadcast address. "},
    {10014, "The buf parameter is not completely contained in a valid part of the user address space. "},
    {10022,
     "The socket has not been bound with bind, or an unknown flag was specified, or MSG_OOB was specified "
     "for a socket with SO_OOBINLINE enabled or (for byte stream sockets only) len was zero or negative. "},
    {10024, "Too many open files."},
    {10035, "The socket is marked as nonblocking and the receive operation would block. "},
    {10036,
     "A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a "
     "callback function. "},
    {10037, "Operation already in progress."},
    {10038, "The descriptor is not a socket. "},
    {10039, "Destination address required."},
    {10040, "The message was too large to fit into the specified buffer and was truncated. "},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045,
     "MSG_OOB was specified, but the socket is not stream-style such as type SOCK_STREAM, out-of-band data "
     "is not supported in the communication domain associated with this socket, or the socket is "
     "unidirectional and supports only send operations. "},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "The network subsystem has failed. "},
    {10051, "Network is unreachable."},
    {10052, "The connection has been broken due to the keep-alive activity detecting a failure while the "
            "operation was in progress. "},
    {10053, "The virtual circuit was terminated due to a time-out or other failure."},
    {10054,
     "The virtual circuit was reset by the remote side executing a \"hard\" or \"abortive\" close. On a UDP "
     "datagram socket this error would indicate that a previous send operation resulted in an ICMP \"Port "
     "Unreachable\" message. "},
    {10055, "No buffer space is available."},
    {10056, "Socket is already connected."},
    {10057, "The socket is not connected. "},
    {10058, "The socket has been shut down; it is not possible to recv on a socket after shutdown has been "
            "invoked with how set to SD_RECEIVE or SD_BOTH. "},
    {10060,
     "The connection has been dropped because of a network failure or because the peer system failed to "
     "respond. "},
    {10061, "Connection refused."},
    {10064, "Host is down."},
    {10065, "The remote host cannot be reached from this host at this time. "},
    {10067, "Too many processes."},
    {10091, "Network subsystem is unavailable."},
    {10092, "WINSOCK.DLL version out of range."},
    {10093, "A successful WSAStartup must occur before using this function. "},
    {10101, "Graceful shutdown in progress."},
    {11001, "Host not found."},
    {11002, "Non-authoritative host not found."},
    {11003, "This is a non-recoverable error."},
    {11004, "Valid name, no data record of requested type."},
};

} // namespace

const char* GetSocketErrorText(int nError)
{
    for (const auto& entry : kSocketErrors)
    {
        if (entry.nCode == nError)
            return entry.pszText;
    }
    return "Unknown error.";
}
