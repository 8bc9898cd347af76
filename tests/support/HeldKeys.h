#pragma once
// Keys held for this thread while it handles the messages posted meanwhile (posted key messages
// leave the thread's key state as it is).

#include <windows.h>

#include <cstring>
#include <initializer_list>

class THeldKeys {
  public:
    explicit THeldKeys(std::initializer_list<BYTE> keys) {
        GetKeyboardState(saved_);
        BYTE state[256];
        std::memcpy(state, saved_, sizeof state);
        for (BYTE key : keys)
            state[key] |= 0x80;
        SetKeyboardState(state);
    }
    THeldKeys(const THeldKeys&) = delete;
    THeldKeys& operator=(const THeldKeys&) = delete;
    ~THeldKeys() { SetKeyboardState(saved_); }

  private:
    BYTE saved_[256]{};
};
