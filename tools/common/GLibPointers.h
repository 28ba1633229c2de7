#pragma once

#include <glib-object.h>

#include <memory>

namespace ornibe {

// Owners for the GLib objects and errors that the cabinet library hands out.
template <typename T> struct GObjectDeleter {
    void operator()(T* object) const { g_object_unref(object); }
};
template <typename T> using GPtr = std::unique_ptr<T, GObjectDeleter<T>>;

struct GErrorDeleter {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorDeleter>;

} // namespace ornibe
