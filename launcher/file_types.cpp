#include "launcher/file_types.h"

namespace {

struct FileTypeGroup {
    int32_t weight;
    const char *const *extensions;
};

const char *const kWeight3[] = {"bat", "doc", "exe", "lnk", "pdf", "ppt", "xls", nullptr};
const char *const kWeight2[] = {"gif", "jpeg", "jpg", "mdb", "mov", "movie", "mp3", "mpeg",
                                "mpg", "ram",  "rar", "url", "wav", "wmv",   "zip", nullptr};
const char *const kWeight1[] = {"aac",  "asf",  "asp",  "au",   "avi",  "bmp", "c",    "cc",     "cpp", "css",
                                "csv",  "dot",  "eps",  "h",    "hpp",  "htm", "html", "java",   "js",  "lwp",
                                "mht",  "mhtml", "mp4", "mpc",  "ogg",  "one", "php",  "php3",   "php4", "pl",
                                "png",  "ps",   "py",   "qt",   "rtf",  "sln", "sql",  "swf",    "tif", "txt",
                                "vcproj", "wdb", "wk1", "wk2",  "wk3",  "wk4", "wk5",  "wki",    "wks", "wku",
                                "wma",  "wpd",  "wps",  "wri",  "xla",  "xlt", "xlw",  "xml",    nullptr};

} // namespace

std::map<std::string, int32_t> builtInFileTypes() {
    const FileTypeGroup groups[] = {{3, kWeight3}, {2, kWeight2}, {1, kWeight1}};
    std::map<std::string, int32_t> types;
    for (const FileTypeGroup &group : groups)
        for (const char *const *extension = group.extensions; *extension; ++extension)
            types[*extension] = group.weight;
    return types;
}
