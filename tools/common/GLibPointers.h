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

// A list whose nodes are owned but whose data is not (gcab_folder_get_files).
struct GSListDeleter {
    void operator()(GSList* list) const { g_slist_free(list); }
};
using GSListPtr = std::unique_ptr<GSList, GSListDeleter>;

} // namespace ornibe
