// The program's trace facilities. None of them produces output in normal operation:
// - DebugPrint formats its line into a 256-byte buffer and drops it;
// - CTraceFile is the debug trace file DebugTrace.log in the program folder. It is created
//   empty at each start; only mode 1 of Append writes, and the program's callers use mode 0,
//   so the file stays empty;
// - the rolling trace file "trace.log" keeps only its last few hundred bytes; nothing calls
//   AppendRollingTrace.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/sync.h"

inline constexpr std::size_t kDebugPrintBufferBytes = 256;

// printf-style debug trace of every subsystem. Callers pass complete lines ending in "\n".
// The text is formatted (cut to the buffer) and handed to NullTrace, which drops it.
void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Formats like DebugPrint and returns the text it would print (at most 255 characters).
std::string FormatDebugText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Does nothing with the text.
void NullTrace(const char* text, ...);

// The debug trace file DebugTrace.log.
class CTraceFile {
 public:
  // Appends before the file is created anew.
  static constexpr std::uint32_t kLinesPerFile = 1048577;
  static constexpr std::uint32_t kAppendWaitMs = 10000;

  CTraceFile() = default;
  ~CTraceFile();
  CTraceFile(const CTraceFile&) = delete;
  CTraceFile& operator=(const CTraceFile&) = delete;

  // Creates directory + "DebugTrace.log" as a new empty file (an existing one is truncated),
  // when no file is open yet, and the append guard. Returns 1, or 0 when the file cannot be
  // created or the guard does not exist.
  int Open(const std::string& directory);
  // Mode 1 appends text + "\r\n" and returns 1 (0 when the file is closed or cannot be
  // written). Any other mode writes nothing and returns 0.
  int Append(std::uint8_t mode, const std::string& text);
  // Closes the file and the guard. Returns 1.
  int Close();
  // Deletes the file named by m_strPath. Returns 1.
  int Delete();

  const std::string& Path() const { return m_strPath; }
  std::uint32_t Lines() const;

 private:
  bool CreateFileLocked();

  // Auto-reset, created signalled: one append at a time. Shared, so an appender that holds it
  // is not left waiting on a freed event when the file is closed meanwhile.
  std::shared_ptr<platform::Event> m_hEvent;
  int m_hFile = -1;  // -1 while closed
  std::string m_strPath;
  std::uint32_t m_nLines = 0;
  // Keeps the file state sound even when an appender goes on after the guard's time-out.
  mutable std::mutex m_stateLock;
};

// Rolling trace file state (process globals).
inline constexpr std::size_t kRollingTraceChunkBytes = 100;
void PrepareRollingTrace(std::int32_t chunks, const std::string& directory);
// Appends text + "\r\n" to "trace.log", first dropping whole 100-byte chunks from its start so
// that it keeps at most about `chunks` chunks. Returns false when the file cannot be written.
bool AppendRollingTrace(const std::string& text);
void ReleaseRollingTrace();
// The rolling trace file's path ("" when not prepared).
std::string RollingTracePath();
