#include "crash/kit/HLYLogoutInhibitor.h"

#include "sdk/foundation/Log.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <dbus/dbus.h>
#include <memory>
#include <unistd.h>

namespace qlkit {
namespace {

// logind answers in milliseconds; a bus that does not must not hold up
// report processing, which can run during the application's start.
constexpr int kCallTimeoutMilliseconds = 2000;
constexpr const char* kSystemBusAddress = "unix:path=/run/dbus/system_bus_socket";

struct ConnectionCloser {
    void operator()(DBusConnection* connection) const
    {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionCloser>;

struct MessageReleaser {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageReleaser>;

// An error that frees its text when it goes.
struct BusError : DBusError {
    BusError() { dbus_error_init(this); }
    ~BusError() { dbus_error_free(this); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
};

Message call(DBusConnection* connection, DBusMessage* message, BusError& error)
{
    return Message(dbus_connection_send_with_reply_and_block(connection, message, kCallTimeoutMilliseconds, &error));
}

// The library's blocking calls wait for the handshake without a time-out:
// the handshake gets one of its own. The bound is on real time, as the
// socket's is.
bool authenticate(DBusConnection* connection)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(kCallTimeoutMilliseconds);
    while (!dbus_connection_get_is_authenticated(connection)) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0 || !dbus_connection_read_write(connection, int(left)))
            return false;
    }
    return true;
}

// A connection that has greeted the bus, within the time-out also on a bus
// that never answers.
Connection connect(const std::optional<std::string>& address, BusError& error)
{
    // The connection writes with MSG_NOSIGNAL: the application's SIGPIPE
    // disposition is none of the kit's business.
    dbus_connection_set_change_sigpipe(false);
    const char* systemBus = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string where = address ? *address : systemBus ? systemBus : kSystemBusAddress;
    Connection connection(dbus_connection_open_private(where.c_str(), &error));
    if (!connection)
        return connection;
    dbus_connection_set_exit_on_disconnect(connection.get(), false);
    const Message hello(dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "Hello"));
    if (!authenticate(connection.get()) || !hello || !call(connection.get(), hello.get(), error))
        connection.reset();
    return connection;
}

// The bus refuses text that is not UTF-8 (libdbus would even abort).
std::string busText(const char* text, const char* fallback)
{
    return text && dbus_validate_utf8(text, nullptr) ? text : fallback;
}

} // namespace

HLYLogoutInhibitor::HLYLogoutInhibitor(std::optional<std::string> busAddress) : m_busAddress(std::move(busAddress)) {}

HLYLogoutInhibitor::~HLYLogoutInhibitor()
{
    if (m_lock >= 0)
        ::close(m_lock);
}

HLYLogoutInhibitor& HLYLogoutInhibitor::shared()
{
    static auto* instance = new HLYLogoutInhibitor; // holds may end on any thread until exit
    return *instance;
}

void HLYLogoutInhibitor::begin(const std::string& why)
{
    const std::lock_guard lock(m_mutex);
    if (m_holds++ == 0)
        m_lock = takeLock(why);
}

void HLYLogoutInhibitor::end()
{
    const std::lock_guard lock(m_mutex);
    if (m_holds == 0 || --m_holds > 0)
        return;
    if (m_lock >= 0)
        ::close(m_lock);
    m_lock = -1;
}

bool HLYLogoutInhibitor::holdsLock() const
{
    const std::lock_guard lock(m_mutex);
    return m_lock >= 0;
}

int HLYLogoutInhibitor::takeLock(const std::string& why) const
{
    BusError error;
    const Connection connection = connect(m_busAddress, error);
    if (!connection) {
        log::debugOnly(std::string("[Halyard] No bus to hold off logout: ") + (error.message ? error.message : ""));
        return -1;
    }
    const Message inhibit(dbus_message_new_method_call("org.freedesktop.login1", "/org/freedesktop/login1",
                                                    "org.freedesktop.login1.Manager", "Inhibit"));
    const std::string who = busText(program_invocation_short_name, "application");
    const std::string reason = busText(why.c_str(), "");
    const char* what = "shutdown:sleep";
    const char* whoText = who.c_str();
    const char* whyText = reason.c_str();
    const char* mode = "delay";
    if (!inhibit
        || !dbus_message_append_args(inhibit.get(), DBUS_TYPE_STRING, &what, DBUS_TYPE_STRING, &whoText, DBUS_TYPE_STRING,
                                     &whyText, DBUS_TYPE_STRING, &mode, DBUS_TYPE_INVALID))
        return -1;
    const Message reply = call(connection.get(), inhibit.get(), error);
    int descriptor = -1;
    if (!reply || !dbus_message_get_args(reply.get(), &error, DBUS_TYPE_UNIX_FD, &descriptor, DBUS_TYPE_INVALID)) {
        log::debugOnly(std::string("[Halyard] The login manager holds off no logout: ")
                       + (error.message ? error.message : ""));
        return -1;
    }
    return descriptor;
}

} // namespace qlkit
