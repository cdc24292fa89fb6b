// Identities of the wizard's own resources, shared by quillfern.rc and the code.
#pragma once

// The program's icon; the first icon resource, which Explorer shows for the file.
#define IDI_QUILLFERN 1
