#pragma once
// The replies the stand-in host's loopback update server can give, chosen by --reply.

#include <string>

namespace orvstandin {
class LoopbackUpdateServer;
}

/// True for a reply kind that --reply accepts (see standinHelpText).
bool isKnownReply(const std::string& kind);

/// kind with the path of a file:PATH reply taken against the current folder (see absolutePath).
std::string replyWithAbsoluteFile(const std::string& kind);

/// Sets the server's answers for kind, written for a host of hostVersion and hostRevision;
/// false with a message in error when a reply file cannot be read.
bool serveReply(const std::string& kind, int hostVersion, int hostRevision,
                orvstandin::LoopbackUpdateServer& server, std::string& error);
