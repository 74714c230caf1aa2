# Compares the plug-in's exported functions with its interface.
set(expected
  getModuleName initialiseModule primDecoderCopyLastCapturedFrameInto primDecoderGetDecodeSize
  primDecoderGetLastError primDecoderGetLastSampleTime primDecoderPause primDecoderRequestCapture
  primDecoderRun primDecoderSetDecodeSize primDecoderSetRenderRect primDecoderShowWindow primDecoderStop
  primInitializeDecoder primSetFrameSemaphore primShutdownDecoder setInterpreter shutdownModule signalFrame)
execute_process(COMMAND nm -D --defined-only ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "nm could not read ${LIBRARY}")
endif()
string(REGEX MATCHALL "[0-9a-f]+ [TWDBRV] [^\n]+" entries "${listing}")
set(exported)
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^[0-9a-f]+ [A-Z] " "" name "${entry}")
  # The sanitizers' runtimes and the start files add symbols of their own.
  if(NOT name MATCHES "^(_init|_fini|__asan|__ubsan|__tsan|__sanitizer)")
    list(APPEND exported ${name})
  endif()
endforeach()
list(SORT exported)
list(SORT expected)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "exports differ from the interface:\n  got: ${exported}\n  expected: ${expected}")
endif()
message(STATUS "${LIBRARY} exports exactly its interface")
