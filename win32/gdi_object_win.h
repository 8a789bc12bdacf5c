#pragma once

#include <windows.h>

// Owner of one GDI object (brush, pen, font, bitmap), deleted when the owner goes. Move-only.
// Select it into a device context through SelectedObject so that it is put back out first.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object = nullptr) : object_(object) {}
    ~GdiObject() {
        if (object_)
            DeleteObject(object_);
    }
    GdiObject(GdiObject &&other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    GdiObject &operator=(GdiObject &&other) noexcept {
        if (this != &other) {
            if (object_)
                DeleteObject(object_);
            object_ = other.object_;
            other.object_ = nullptr;
        }
        return *this;
    }
    GdiObject(const GdiObject &) = delete;
    GdiObject &operator=(const GdiObject &) = delete;
    HGDIOBJ get() const { return object_; }
    HBRUSH brush() const { return static_cast<HBRUSH>(object_); }
    explicit operator bool() const { return object_ != nullptr; }

private:
    HGDIOBJ object_;
};
