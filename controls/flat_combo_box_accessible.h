#pragma once

// Makes screen readers see every CCJFlatComboBox through FlatComboBoxAccessible
// (installed once; later calls do nothing).
void InstallFlatComboBoxAccessibility();
