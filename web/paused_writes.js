// SPDX-License-Identifier: MIT
// paused_writes.js - Emscripten library of the page's module: the system
// call that writes to a file, which lets the host hold the command after a
// write until the page has caught up (Asyncify), so that a folder slower
// than the conversion does not make the page hold what is sent to it.
//
// Module option writesPending(): null to go on at once, or a promise that
// settles once the command may write again.
mergeInto(LibraryManager.library, {
    fd_write__deps: ["$SYSCALLS", "$Asyncify"],
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
        if (pending)
            Asyncify.handleSleep(function (wakeUp) {
                pending.then(function () { wakeUp(0); });
            });
        return 0;
    },
});
