// Failure paths that root would walk past: the case runs in a forked child
// of the test that first makes itself subject to the fault (drops to an
// unprivileged user, mounts a small file system of its own, ...). The
// child's failed checks print as usual and fail the test here.
#pragma once

#include <functional>
#include <string>

namespace child {

// Runs prepare and then body in a forked child; false (nothing run) when
// prepare says the child cannot be set up on this machine. The child may
// take at most timeoutMs; past it, it is killed and the test fails.
bool Run(const std::function<bool()>& prepare, const std::function<void()>& body, int timeoutMs = 60000);

// Runs body as the unprivileged user nobody (65534): in a child when this
// process is root, else here (it is unprivileged already). False when root
// cannot switch user here.
bool AsNobody(const std::function<void()>& body);
// Gives a folder (not what is below it) to the user AsNobody runs as, when
// this process is root; a path nobody must reach needs its folders open to
// others, which TempDir's are not (0700).
void GiveToNobody(const std::string& path);

// In a child made by Run: mounts an empty file system of sizeKiB over the
// folder, seen by this child alone (a private mount namespace); false when
// the machine refuses one.
bool MountSmallFs(const std::string& dir, int sizeKiB);

}  // namespace child
