# cmake -DOBJDUMP=... -DBINARY=... -P CheckManifest.cmake
# Fails unless BINARY carries its manifest where the loader looks for it (resource 1 of type
# RT_MANIFEST) and the manifest asks for the user's own rights, names Windows 7 to 11 as supported and
# declares the program aware of each monitor's DPI (PerMonitorV2, then the older forms).
foreach(required OBJDUMP BINARY)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "CheckManifest.cmake needs -D${required}=...")
  endif()
endforeach()

execute_process(COMMAND ${OBJDUMP} -p ${BINARY} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump could not read ${BINARY}")
endif()
# The type entry 24, then the name table under it with the entry 1.
if(NOT dump MATCHES "Entry: ID: 0x000018, Value: 0x[0-9a-f]+\n[^\n]*Name Table[^\n]*\n[^\n]*Entry: ID: 0x000001,")
  message(FATAL_ERROR "${BINARY} has no manifest resource (type 24, id 1)")
endif()

file(STRINGS ${BINARY} texts)
string(JOIN "\n" text ${texts})
set(required_texts
    "level=\"asInvoker\""
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"  # Windows 10 and 11
    ">true/pm</dpiAware>"
    ">PerMonitorV2, PerMonitor</dpiAwareness>")
foreach(required IN LISTS required_texts)
  string(FIND "${text}" "${required}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the manifest of ${BINARY} lacks ${required}")
  endif()
endforeach()
message(STATUS "${BINARY}: manifest resource as required")
