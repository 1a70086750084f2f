#include "crypto/SecureWipe.h"

#include <string.h>  // explicit_bzero: a plain memset before free may be dropped as a dead store

namespace tarnwerk {

void SecureWipe(void* data, std::size_t size) {
    if (data != nullptr && size != 0) explicit_bzero(data, size);
}

void SecureWipe(std::string& text) { SecureWipe(text.data(), text.capacity()); }

}  // namespace tarnwerk
