// SPDX-License-Identifier: MIT
// run_main.js - appended to the page's module: runMain(args), a promise of
// the command's exit status whether or not its reads or writes paused it
// (paused_io.js).  A paused main has returned nothing yet: its status
// comes when it ends, and the runtime is then shut down as exit() would.
Module["runMain"] = function (args) {
    var status = callMain(args);
    if (!Asyncify.currData) return Promise.resolve(status);
    return Asyncify.whenDone().then(function (ended) {
        try {
            exit(ended);
        } catch (e) {
            return handleException(e);
        }
        return ended;
    });
};
