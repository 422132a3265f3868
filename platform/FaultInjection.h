#pragma once

namespace tus2wf::faults {

// A seam for tests: the system calls behind the outputs can be made to fail on demand, so that
// every failure path can be taken without a full disk or a privileged user. Nothing fails unless
// a test has asked for it.
enum class Call { Open, Write, Sync, Link, Rename, Count };

// Makes the nth call of this kind from now on (1 for the next one) fail with error (errno, or a
// Windows error code). Replaces any failure asked for earlier.
void failNth(Call call, int n, int error);
void clear();

// For the platform's own code, before the call itself: true when this call must fail; the
// chosen error is then set as the thread's last error (errno or SetLastError).
bool injected(Call call);

}  // namespace tus2wf::faults
