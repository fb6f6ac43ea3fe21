# The setup area's second program: installation and uninstallation in a prefix of their own.
include(${CMAKE_CURRENT_LIST_DIR}/install/install.cmake)
