#pragma once

// Ids of the program's resources, shared by the resource script and the code.
#define IDI_TUS2WF 1
