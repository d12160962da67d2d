# The three example plug-ins as the program loads them: the module "Hello" from Modules, the
# ".xyz" reader from Soft and the live source "Ticker" from Hard.
info module
cd @WORK@
load points.xyz
Hello
greet reader
count
# The module refuses "ws", so the console's own word answers.
ws
exit
