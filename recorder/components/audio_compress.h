#pragma once
// The compressor component. The program only sets its mode once; there is no
// processing behind it.

namespace recorder {

class AudioCompress {
public:
    // Accepts any value; the program passes 1.
    void SetMode(int mode) { mode_ = mode; }
    int Mode() const { return mode_; }

private:
    int mode_ = 0;
};

} // namespace recorder
