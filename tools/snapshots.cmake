# merrovan-snapshots: every window in a fixed series of states, for scripts/check_outputs.sh.
if(MERROVAN_GUI)
  add_executable(merrovan-snapshots EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/snapshots.cpp)
  target_link_libraries(merrovan-snapshots PRIVATE merrovan_ui Qt6::Test)
endif()
