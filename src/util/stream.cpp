#include "util/stream.hpp"

namespace util {

char buffer[1024];
null_buffer<char> null_buff(buffer, sizeof(buffer));
null_ostream<char> null_ostr(null_buff);

}  // namespace util
