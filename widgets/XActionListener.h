#pragma once

// Told when the pointer enters or leaves a skinned button.
class IXActionListener {
public:
    virtual ~IXActionListener() = default;
    virtual void pointerEntered(int id) = 0;
    virtual void pointerLeft(int id) = 0;
};
