#pragma once

#include <cstddef>
#include <string>

// What fetching one file from the update server came to.
struct UpdateFetch {
    enum Outcome {
        Fetched,  // the bytes are the whole file
        NotFound, // the server answered 404: there is no such file (how "no update" may be published)
        Failed,   // anything else; `failure` says why, in words for the user
    };
    Outcome outcome = Failed;
    std::string failure;
};

// Downloads `url` whole into `bytes`, always from the server itself and never from the download
// cache, nor into it. No network, a name that does not resolve, a refused connection, a time-out,
// an answer other than 200 or 404, a transfer cut off before its announced length and a file
// larger than maximumSize are failures.
UpdateFetch fetchUpdateFile(const std::string &url, size_t maximumSize, std::string &bytes);
