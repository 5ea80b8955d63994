// What a read of a stored value found. Kept apart from the 1-for-success
// answers around it: "not stored" is no failure (defaults stand in), and a
// value that is there but unreadable must never be taken for either.
#pragma once

enum class StoredRead : int {
    kRead,
    kNotStored,
    kError,
};
