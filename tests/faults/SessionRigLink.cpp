// The session rig's code, compiled into this test program as it stands (the
// rig lives with the session tests; this program only reuses it).
#include "session/SessionRig.cpp"
