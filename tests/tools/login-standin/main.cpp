// login-standin: a stand-in for the login manager on a private bus, for the
// tests of the kit's logout holds.
//
//   login-standin ADDRESS
//
// Connects to the bus at ADDRESS, owns "org.freedesktop.login1" and answers
// org.freedesktop.login1.Manager.Inhibit(what, who, why, mode) as the login
// manager does, with a descriptor whose closing lets go of the lock (one end
// of a new pipe). Prints "ready" once it owns the name, "inhibit N
// WHAT|WHO|WHY|MODE" for the Nth lock asked for, and "released N" when every
// copy of that lock's descriptor is closed. Runs until it is killed or the
// bus goes away.
#include <cstdio>
#include <dbus/dbus.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

struct Lock {
    int readEnd;
    int number;
};

int fail(const char* what, const DBusError& error)
{
    std::fprintf(stderr, "login-standin: %s: %s\n", what, error.message ? error.message : "failed");
    return 1;
}

void answer(DBusConnection* bus, DBusMessage* call, std::vector<Lock>& locks, int& taken)
{
    if (dbus_message_get_type(call) != DBUS_MESSAGE_TYPE_METHOD_CALL)
        return;
    const char* what = nullptr;
    const char* who = nullptr;
    const char* why = nullptr;
    const char* mode = nullptr;
    int ends[2] = {-1, -1};
    DBusMessage* reply = nullptr;
    if (dbus_message_is_method_call(call, "org.freedesktop.login1.Manager", "Inhibit")
        && dbus_message_get_args(call, nullptr, DBUS_TYPE_STRING, &what, DBUS_TYPE_STRING, &who, DBUS_TYPE_STRING,
                                 &why, DBUS_TYPE_STRING, &mode, DBUS_TYPE_INVALID)
        && pipe2(ends, O_CLOEXEC) == 0) {
        std::printf("inhibit %d %s|%s|%s|%s\n", ++taken, what, who, why, mode);
        locks.push_back({ends[0], taken});
        reply = dbus_message_new_method_return(call);
        dbus_message_append_args(reply, DBUS_TYPE_UNIX_FD, &ends[1], DBUS_TYPE_INVALID); // sends a copy
        close(ends[1]);
    } else {
        reply = dbus_message_new_error(call, DBUS_ERROR_FAILED, "login-standin answers only Inhibit(ssss)");
    }
    dbus_connection_send(bus, reply, nullptr);
    dbus_connection_flush(bus);
    dbus_message_unref(reply);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: login-standin ADDRESS\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* bus = dbus_connection_open_private(argv[1], &error);
    if (!bus || !dbus_bus_register(bus, &error))
        return fail("cannot join the bus", error);
    if (dbus_bus_request_name(bus, "org.freedesktop.login1", DBUS_NAME_FLAG_DO_NOT_QUEUE, &error)
        != DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER)
        return fail("cannot own org.freedesktop.login1", error);
    std::printf("ready\n");

    int busDescriptor = -1;
    dbus_connection_get_unix_fd(bus, &busDescriptor);
    std::vector<Lock> locks;
    int taken = 0;
    for (;;) {
        while (DBusMessage* message = dbus_connection_pop_message(bus)) {
            answer(bus, message, locks, taken);
            dbus_message_unref(message);
        }
        // A pipe's read end reports a hang-up once no write end is left.
        std::vector<pollfd> watched {{busDescriptor, POLLIN, 0}};
        for (const Lock& lock : locks)
            watched.push_back({lock.readEnd, 0, 0});
        if (poll(watched.data(), watched.size(), -1) < 0)
            continue;
        if (watched[0].revents && !dbus_connection_read_write(bus, 0))
            return 0;
        for (std::size_t i = watched.size() - 1; i > 0; --i) {
            if (!(watched[i].revents & (POLLHUP | POLLERR)))
                continue;
            std::printf("released %d\n", locks[i - 1].number);
            close(locks[i - 1].readEnd);
            locks.erase(locks.begin() + std::ptrdiff_t(i - 1));
        }
    }
}
