#pragma once

// The asynchronous key-state query, by virtual-key code (37-40 the arrows,
// 113-117 F2-F6, 123 F12, letters and digits their ASCII capitals).
class KeyState {
public:
    virtual ~KeyState() = default;
    // True when the key is down now or has been pressed since the previous query of it.
    virtual bool query(int code) = 0;
};
