// The coloured blocks of one line as a line parser describes them: where each block starts and
// its colour index, in ascending order. Kept on the heap and reused from line to line.
#pragma once
#include <cstddef>
#include <vector>

struct TEXTBLOCK {
    int charPos;
    int colorIndex;
};

class CTextBlockList {
public:
    // Empties the list and makes room for three blocks per char of the line.
    void Reset(int lineLength) {
        blocks_.clear();
        if (lineLength > 0) blocks_.reserve(static_cast<size_t>(lineLength) * 3);
    }
    // Appends unless the block would start before the last one; answers whether it did.
    bool Append(int charPos, int colorIndex) {
        if (!blocks_.empty() && charPos < blocks_.back().charPos) return false;
        blocks_.push_back(TEXTBLOCK{charPos, colorIndex});
        return true;
    }
    int GetCount() const { return static_cast<int>(blocks_.size()); }
    const TEXTBLOCK& operator[](int index) const { return blocks_[index]; }

private:
    std::vector<TEXTBLOCK> blocks_;
};
