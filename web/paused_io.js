// SPDX-License-Identifier: MIT
// paused_io.js - Emscripten library of the page's module: the system calls
// that read and write a file, which let the host pause the command
// (Asyncify) before a read until its bytes are at hand, and after a write
// until the page has caught up.  Both calls then take no memory per call:
// reads land in a buffer used again and again, and a folder slower than
// the conversion does not make the page hold what is sent to it.
//
// Module options, each giving null to go on at once or a promise that
// settles once the command may go on:
//   readPending(node, position, length)  before a read of node's bytes
//   writesPending()                      after each write
mergeInto(LibraryManager.library, {
    // Pauses the command until promise settles; true if it now unwinds.  A
    // promise that fails lets it go on too: the call made again then meets
    // the failure itself.
    $pauseUntil__deps: ["$Asyncify"],
    $pauseUntil: function (promise) {
        Asyncify.handleSleep(function (wakeUp) {
            var goOn = function () { wakeUp(0); };
            promise.then(goOn, goOn);
        });
        return Asyncify.state === Asyncify.State.Unwinding;
    },
    // A paused call is made again from its start once the command goes on.
    fd_read__deps: ["$SYSCALLS", "$Asyncify", "$pauseUntil"],
    fd_read: function (fd, iov, iovcnt, pnum) {
        try {
            var stream = SYSCALLS.getStreamFromFD(fd);
            if (Asyncify.state === Asyncify.State.Rewinding) {
                Asyncify.handleSleep();
            } else if (Module["readPending"]) {
                var length = 0;
                for (var i = 0; i < iovcnt; i++) length += HEAP32[(iov >> 2) + 2 * i + 1];
                var pending = Module["readPending"](stream.node, stream.position, length);
                if (pending && pauseUntil(pending)) return 0;
            }
            HEAP32[pnum >> 2] = SYSCALLS.doReadv(stream, iov, iovcnt);
        } catch (e) {
            if (typeof FS == "undefined" || !(e instanceof FS.ErrnoError))
                throw e;
            return e.errno;
        }
        return 0;
    },
    fd_write__deps: ["$SYSCALLS", "$Asyncify", "$pauseUntil"],
    fd_write: function (fd, iov, iovcnt, pnum) {
        // Back from a pause: the write was done before it.
        if (Asyncify.state === Asyncify.State.Rewinding)
            return Asyncify.handleSleep();
        try {
            var stream = SYSCALLS.getStreamFromFD(fd);
            HEAP32[pnum >> 2] = SYSCALLS.doWritev(stream, iov, iovcnt);
        } catch (e) {
            if (typeof FS == "undefined" || !(e instanceof FS.ErrnoError))
                throw e;
            return e.errno;
        }
        var pending = Module["writesPending"] && Module["writesPending"]();
        if (pending) pauseUntil(pending);
        return 0;
    },
});
