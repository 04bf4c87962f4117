# Debian's RapidJSON, header-only, for the rooms that read or write JSON (the
# answers, the design files). For WebAssembly its headers alone: the rest of
# /usr/include is not for that target.
if(EMSCRIPTEN)
  set(RAPIDJSON_INCLUDE_DIRS ${PROJECT_BINARY_DIR}/rapidjson-include)
  file(MAKE_DIRECTORY ${RAPIDJSON_INCLUDE_DIRS})
  file(CREATE_LINK /usr/include/rapidjson ${RAPIDJSON_INCLUDE_DIRS}/rapidjson SYMBOLIC)
else()
  find_package(RapidJSON 1.1 REQUIRED)
endif()
