# The test copy of the plug-in: the same objects plus the switch between
# kernel levels. It lives in a folder of its own, away from the libraries
# that ship. Included by the tests and by the benchmark, which times the
# levels side by side.
if(NOT TARGET MardolinKernelSwitch)
  add_library(MardolinKernelSwitch SHARED ${CMAKE_CURRENT_LIST_DIR}/kernel_switch.cpp $<TARGET_OBJECTS:mardolin_objects>)
  target_include_directories(MardolinKernelSwitch PRIVATE $<TARGET_PROPERTY:mardolin_objects,INTERFACE_INCLUDE_DIRECTORIES>)
  target_link_libraries(MardolinKernelSwitch PRIVATE host_interface)
  set_target_properties(MardolinKernelSwitch PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/test-only
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/test-only)
endif()
