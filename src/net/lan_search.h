// The LAN search and remote IP setting exchanges over UDP. Requests are broadcast from the
// client's own address; answers arrive on a port of their own, which is bound before the
// request goes out so that a quick answer is never lost. The search collects answers until a
// silence or its time limit; a set-IP or reset request takes the first answer that carries its
// own command code. Every wait also watches a stop request, so a stopped exchange frees its
// port at once. Nothing here traces a request (they carry passwords).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/blocking_socket.h"
#include "net/search_datagram.h"
#include "platform/clock.h"
#include "platform/thread.h"

namespace net {

// Where the exchanges send and listen, and how long they wait. The defaults are the device
// protocol's; tests use loopback, ephemeral ports and an injected clock.
struct LanSearchSettings {
  std::string destinationAddress = "255.255.255.255";
  std::uint16_t destinationPort = 7777;
  std::uint16_t sendPort = kSearchRequestPort;  // 0: any free port
  std::uint16_t receivePort = 3332;             // 0: any free port
  std::uint32_t searchLimitMs = 7000;
  std::uint32_t silenceMs = 3000;
  std::uint32_t answerWaitMs = 7000;
  platform::IClock* clock = nullptr;  // the real clock when null
  // Called with the port the answer socket was bound to, before the request is sent.
  std::function<void(std::uint16_t)> onReceiveBound;
};

// The settings the search dialog uses (process-wide; the defaults until replaced).
LanSearchSettings GetLanSearchSettings();
void SetLanSearchSettings(LanSearchSettings settings);

// Broadcasts one datagram from ownAddress:sendPort to the destination. False when any step
// fails (no own address, a bind or a send refused): the caller reports "SendBroadCast is wrong".
bool SendSearchBroadcast(const SearchDatagram& datagram, const std::string& ownAddress,
                         const LanSearchSettings& settings);

// The socket answers arrive on, bound to any local address and the receive port.
class LanAnswerSocket {
 public:
  enum class OpenResult { Opened, NoSocket, BindFailed };
  enum class WaitResult { Datagram, TimedOut, WaitFailed, ReceiveFailed, Stopped };

  explicit LanAnswerSocket(const LanSearchSettings& settings);
  OpenResult Open();
  std::uint16_t Port() const { return m_wPort; }
  // Waits until the tick count of the settings' clock reaches deadline for one datagram of any
  // length and receives it (up to 77 bytes, so an over-long one shows as such).
  WaitResult Receive(std::vector<std::uint8_t>& datagram, std::uint32_t deadline,
                     const platform::StopToken& stop);

 private:
  const LanSearchSettings& m_Settings;
  platform::IClock& m_Clock;
  CBlockingSocket m_Socket;
  std::uint16_t m_wPort = 0;
};

enum class LanSearchEnd { Completed, NoSocket, BindFailed, WaitFailed, Stopped };

struct LanSearchEvents {
  std::function<void()> sendFailed;  // the request could not be broadcast
  std::function<void(const SearchDatagram& answer)> answer;
};

// One search: binds the answer socket, broadcasts "AV_SEARCH" with the own address, and passes
// on every 76-byte answer with code 1 until no answer came for silenceMs or searchLimitMs have
// passed since the start. Other datagrams are ignored. A failed broadcast is reported and the
// search still listens.
LanSearchEnd RunLanSearch(const std::string& ownAddress, const LanSearchSettings& settings,
                          const LanSearchEvents& events, const platform::StopToken& stop);

enum class LanCommandOutcome {
  NoSocket,       // no answer socket: nothing sent
  BindFailed,     // the answer port is taken: nothing sent
  SendFailed,     // the broadcast failed: nothing is waited for
  WaitFailed,     // the wait for an answer failed
  TimedOut,       // no answer with the request's code within answerWaitMs
  ReceiveFailed,  // the answer could not be received
  Answered,       // result holds the answer's byte 17
  Stopped,
};

struct LanCommandResult {
  LanCommandOutcome outcome = LanCommandOutcome::NoSocket;
  std::uint8_t result = 0;
};

// One set-IP or reset request: binds the answer socket, broadcasts the request (onSent is
// called once it went out) and waits up to answerWaitMs for a 76-byte answer with the
// request's command code; datagrams of another length or code are ignored.
LanCommandResult RunLanCommand(const SearchDatagram& request, const std::string& ownAddress,
                               const LanSearchSettings& settings,
                               const std::function<void()>& onSent,
                               const platform::StopToken& stop);

}  // namespace net
