#include "read_file.hpp"

#include <fstream>
#include <sstream>

namespace testing_support {

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

}  // namespace testing_support
