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

// The normal pointer for its lifetime, for a dialog that asks the user something in the middle
// of a long action that shows the hourglass.
class TNormalCursor {
public:
    TNormalCursor();
    ~TNormalCursor();
    TNormalCursor(const TNormalCursor&) = delete;
    TNormalCursor& operator=(const TNormalCursor&) = delete;
};
