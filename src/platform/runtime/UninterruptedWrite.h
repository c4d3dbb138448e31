// While one of these lives, SIGTERM, SIGINT and SIGHUP (a desktop session, a
// service manager or a terminal ending the program) end the program only once
// it is gone, so that they never cut a settings write short; at any other
// time they end it at once, as they always did. A signal the program was
// started to ignore, or that something else handles, is left alone. Any
// thread may hold one; they nest.
#pragma once

namespace ql {

class UninterruptedWrite {
public:
    UninterruptedWrite();
    ~UninterruptedWrite();
    UninterruptedWrite(const UninterruptedWrite&) = delete;
    UninterruptedWrite& operator=(const UninterruptedWrite&) = delete;
};

} // namespace ql
