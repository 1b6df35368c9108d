#pragma once
// Names of network ports: "tcp://HOST:PORT" for a gateway that passes RTU
// frames unchanged over TCP, "mbtcp://HOST:PORT" for a Modbus TCP gateway.
// HOST is a host name, an IPv4 literal or an IPv6 literal in brackets
// ("mbtcp://[fe80::1]:502"). Qt Core and Network only, no widgets.
#include <QString>
#include <cstdint>
#include <optional>

enum class NetMode { RtuOverTcp, ModbusTcp };

struct NetAddress {
    NetMode mode = NetMode::RtuOverTcp;
    QString host; // without brackets
    std::uint16_t port = 0;
};

// True when the name has a network scheme (tcp:// or mbtcp://), whether or
// not the rest is well formed: such a name is never a serial device.
bool IsNetPortName(const QString &name);

// Why host cannot be connected to as given (Chinese): empty, blanks or
// control characters, a malformed IP literal or host name. Empty when it
// may be tried (whether it resolves is found out by connecting).
QString HostProblem(const QString &host);

// The address in a network port name; nothing, with error (Chinese) filled,
// when the scheme, the host or the port (1..65535) is missing or malformed.
std::optional<NetAddress> ParseNetPort(const QString &name, QString *error = nullptr);

// The port name of an address; an IPv6 host goes in brackets.
QString NetPortName(const NetAddress &address);

// "HOST:PORT" with an IPv6 host in brackets, for messages and labels.
QString HostAndPort(const QString &host, std::uint16_t port);
