#pragma once
// Identifiers of the program's resources, shared by the resource script and
// the panel.

#define IDI_DIZOD 1
