// Where a record file's bytes go: positioned writes that either write everything or fail, a
// truncate and a close, each with a result. The file sink writes a real file; tests wrap it to
// run out of space at a chosen size.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

class IRecordSink {
 public:
  virtual ~IRecordSink() = default;
  virtual bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
  virtual bool Truncate(std::uint64_t size) = 0;
  virtual bool Close() = 0;
};

// Creates a new file that did not exist (never truncates another recording). Null when it
// exists already or cannot be created; *error receives errno.
std::unique_ptr<IRecordSink> CreateRecordFile(const std::string& path, int* error = nullptr);

// Creates path, or when a file of that name exists already (two records started within one
// second), the same name with "_2", "_3", ... before ".vs4". *usedPath receives the name.
std::unique_ptr<IRecordSink> CreateUniqueRecordFile(const std::string& path, std::string* usedPath,
                                                    int* error = nullptr);

// Removes the record file at path; false (errno in *error) when it cannot be removed.
bool RemoveRecordFile(const std::string& path, int* error = nullptr);

// Free bytes of the volume holding path (all free blocks, not a user's quota); 0 when unknown.
std::uint64_t FreeDiskBytes(const std::string& path);
