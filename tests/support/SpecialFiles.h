// Pipes and sockets made in a test's own folder, standing in for every kind
// of file that is not a regular one (devices included), and a guard that
// turns a read stuck on a pipe into a failure instead of a hung test.
#pragma once

#include <QString>
#include <chrono>
#include <functional>

namespace ql::testing {

bool makeFifo(const QString& path);
// A socket file at `path`; it stays after its descriptor is closed.
bool makeSocket(const QString& path);
bool isFifo(const QString& path);
bool isSocket(const QString& path);

// Runs `call` on a thread of its own. False when it has not returned within
// `limit`: the pipe at `stuckOn` is then opened for writing and closed, which
// ends a read waiting on it, so that the call returns and the test goes on.
bool returnsWithin(std::chrono::milliseconds limit, const std::function<void()>& call, const QString& stuckOn);

} // namespace ql::testing
