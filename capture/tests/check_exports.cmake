# Compares the functions and data a shipped library exports with what it
# may export: the plug-in its interface, the platform runtime the layer's
# own functions (C++ names, without their parameters), the GStreamer
# backend the entry the runtime looks up.
set(allowed_libPelquist.so
  getModuleName initialiseModule primDecoderCopyLastCapturedFrameInto primDecoderGetDecodeSize
  primDecoderGetLastError primDecoderGetLastSampleTime primDecoderPause primDecoderRequestCapture
  primDecoderRun primDecoderSetDecodeSize primDecoderSetRenderRect primDecoderShowWindow primDecoderStop
  primInitializeDecoder primSetFrameSemaphore primShutdownDecoder setInterpreter shutdownModule signalFrame)
set(allowed_libcapture_media.so
  media::AcquireSRWLockExclusive media::CloseHandle media::CoCreateInstance media::CoInitialize
  media::CoTaskMemAlloc media::CoTaskMemFree media::CoUninitialize media::CreateEventW media::CreateThread
  media::GetSystemInfo media::ReleaseSRWLockExclusive media::ResumeThread media::SetEvent
  media::SetThreadPriority media::VirtualAlloc media::VirtualFree media::WaitForSingleObject)
set(allowed_libcapture_gstreamer.so mediaBackendCreateInstance)

get_filename_component(library_name ${LIBRARY} NAME)
set(expected ${allowed_${library_name}})
execute_process(COMMAND nm -D --defined-only -C ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "nm could not read ${LIBRARY}")
endif()
string(REGEX MATCHALL "[0-9a-f]+ [A-Za-z] [^\n]+" entries "${listing}")
set(exported)
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^[0-9a-f]+ [A-Za-z] " "" name "${entry}")
  string(REGEX REPLACE "\\(.*$" "" name "${name}")
  # The sanitizers' runtimes and the start files add symbols of their own.
  if(NOT name MATCHES "^(_init|_fini|__asan|__ubsan|__tsan|__sanitizer)")
    list(APPEND exported ${name})
  endif()
endforeach()
list(SORT exported)
list(SORT expected)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "${LIBRARY} exports other names than it may:\n  got: ${exported}\n  expected: ${expected}")
endif()
message(STATUS "${LIBRARY} exports exactly what it may")
