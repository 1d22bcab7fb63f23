#include "cli/input_file.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexilor_cli {

bool ReadWholeFile(const std::string& path, std::string* text, std::string* error) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    *error = path + ": " + strerror(errno);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    *error = path + ": is a directory";
    return false;
  }
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *error = path + ": " + strerror(errno);
    return false;
  }
  text->clear();
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
    if (text->size() + n > kMaxInputBytes) {
      fclose(f);
      *error = path + ": larger than " + std::to_string(kMaxInputBytes >> 20) + " MB, not a recording";
      return false;
    }
    text->append(buffer, n);
  }
  bool failed = ferror(f) != 0;
  fclose(f);
  if (failed) {
    *error = path + ": read error";
    return false;
  }
  return true;
}

bool WriteWholeFile(const std::string& path, const char* data, size_t length, std::string* error) {
  std::string temporary = path + ".tmp";
  FILE* f = fopen(temporary.c_str(), "wb");
  if (f == nullptr) {
    *error = temporary + ": " + strerror(errno);
    return false;
  }
  bool ok = fwrite(data, 1, length, f) == length;
  ok = fclose(f) == 0 && ok;
  if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
    *error = path + ": cannot write: " + strerror(errno);
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace vexilor_cli
