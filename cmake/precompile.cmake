# Precompiled headers: the standard library, Qt and GoogleTest are parsed once per group of
# targets instead of once per file. Targets that share compile flags share one header
# (REUSE_FROM); Qt's position-independent code keeps its targets in groups of their own,
# and the Qt test programs each have their own (see below).
# Off with -DDVDSP_PCH=OFF (e.g. to check that every file includes what it uses).
option(DVDSP_PCH "Precompile the standard, Qt and GoogleTest headers" ON)

set(DVDSP_PCH_STD <algorithm> <array> <atomic> <chrono> <cmath> <cstdint> <cstdio> <cstdlib>
    <cstring> <functional> <map> <memory> <mutex> <optional> <string> <thread> <utility> <vector>)
set(DVDSP_PCH_QT <QtCore/QString> <QtCore/QStringList> <QtCore/QHash> <QtCore/QPointer>
    <QtCore/QTimer> <QtCore/QCoreApplication> <QtGui/QPainter> <QtGui/QKeyEvent>
    <QtGui/QMouseEvent> <QtGui/QScreen> <QtWidgets/QApplication> <QtWidgets/QWidget>)
set(DVDSP_PCH_GTEST <gtest/gtest.h> <filesystem> <fstream> <sstream>)

# Does the target compile against Qt (directly or through a library)?
function(dvdsp_uses_qt target out)
  set(result OFF)
  get_target_property(libs ${target} LINK_LIBRARIES)
  foreach(lib IN LISTS libs)
    if(lib MATCHES "^Qt6::|^dvdsp_(toolkit|ui|skin)$")
      set(result ON)
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# dvdsp_precompile(TARGETS t... [GTEST]): the first target of each group (with Qt, without)
# compiles the header, the others reuse it.
function(dvdsp_precompile)
  cmake_parse_arguments(P "GTEST" "" "TARGETS" ${ARGN})
  if(NOT DVDSP_PCH)
    return()
  endif()
  set(host_qt "")
  set(host_plain "")
  foreach(t IN LISTS P_TARGETS)
    if(NOT TARGET ${t})
      continue()
    endif()
    dvdsp_uses_qt(${t} qt)
    set(headers ${DVDSP_PCH_STD})
    if(P_GTEST)
      list(APPEND headers ${DVDSP_PCH_GTEST})
    endif()
    if(qt)
      list(APPEND headers ${DVDSP_PCH_QT})
      set(host_var host_qt)
    else()
      set(host_var host_plain)
    endif()
    # Qt's test library defines the test's own folder (QT_TESTCASE_BUILDDIR) per target,
    # which a shared header would not match: Qt test programs compile their own.
    if(${host_var} STREQUAL "" OR (qt AND P_GTEST))
      target_precompile_headers(${t} PRIVATE ${headers})
      set(${host_var} ${t})
    else()
      target_precompile_headers(${t} REUSE_FROM ${${host_var}})
    endif()
  endforeach()
endfunction()
