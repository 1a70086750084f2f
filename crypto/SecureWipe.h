// Clearing of key material that the compiler may not optimise away.
#pragma once

#include <cstddef>
#include <string>

namespace tarnwerk {

void SecureWipe(void* data, std::size_t size);

template <class T>
void SecureWipeObject(T& object) {
    SecureWipe(&object, sizeof object);
}

// The characters of a key string; its length stays, so callers can still compare it.
void SecureWipe(std::string& text);

}  // namespace tarnwerk
