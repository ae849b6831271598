#pragma once

// Shows the hourglass pointer for its lifetime and restores the previous pointer on every path
// out of the scope, exceptions included.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};
