// ZipError: the one exception type the archive reader raises. Its what() text is shown to
// callers unchanged ("Incomplete Zip File", "Not a valid zip file!").
#pragma once

#include <stdexcept>
#include <string>

namespace saver {

class ZipError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace saver
