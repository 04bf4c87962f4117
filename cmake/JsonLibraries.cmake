# Debian's header-only JSON libraries for the rooms that read or write JSON:
# RapidJSON (the answers; writing design files) and nlohmann's (reading
# design files). For WebAssembly their headers alone: the rest of
# /usr/include is not for that target.
if(EMSCRIPTEN)
  set(RAPIDJSON_INCLUDE_DIRS ${PROJECT_BINARY_DIR}/rapidjson-include)
  file(MAKE_DIRECTORY ${RAPIDJSON_INCLUDE_DIRS})
  file(CREATE_LINK /usr/include/rapidjson ${RAPIDJSON_INCLUDE_DIRS}/rapidjson SYMBOLIC)
  set(NLOHMANN_JSON_INCLUDE_DIRS ${PROJECT_BINARY_DIR}/nlohmann-include)
  file(MAKE_DIRECTORY ${NLOHMANN_JSON_INCLUDE_DIRS})
  file(CREATE_LINK /usr/include/nlohmann ${NLOHMANN_JSON_INCLUDE_DIRS}/nlohmann SYMBOLIC)
else()
  find_package(RapidJSON 1.1 REQUIRED)
endif()
