// Holds on to every block a test program gives back to its free store while it lives, so that a
// test can read what code left in memory it freed: no later allocation can take such a block.
#pragma once
#include <cstddef>
#include <string>

namespace testing_support {
// One at a time. Only the test programs' free store comes through it (tests/CMakeLists.txt):
// the constructor checks that a block given back is held, and throws when it is not.
class FreedMemoryKeeper {
public:
    FreedMemoryKeeper();
    // Gives the held blocks back.
    ~FreedMemoryKeeper();
    FreedMemoryKeeper(const FreedMemoryKeeper&) = delete;
    FreedMemoryKeeper& operator=(const FreedMemoryKeeper&) = delete;

    // Whether eight or more bytes in a row of the secret are in the `length` bytes at `address`:
    // memory the test still owns, or a block given back since this keeper began. A piece is
    // enough: a wipe that stops short of the end leaves the rest.
    bool SecretLeftAt(const char* address, size_t length, const std::string& secret) const;
};
}  // namespace testing_support
