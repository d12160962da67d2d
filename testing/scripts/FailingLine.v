# A menu-run script stops at its first failing line (line 3, counting from 0) with its result.

ver
set opacity 0.5
ver
