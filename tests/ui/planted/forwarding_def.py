#!/usr/bin/env python3
# Writes a module-definition file that forwards every export of a DLL (by name, or by ordinal
# where it has none) to the DLL of that name in the system folder. The planted DLLs' .def files
# beside it were made with it from Wine 8's own DLLs (the 32-bit and 64-bit ones give the same
# lists), so that building them needs no Wine; run it again only to follow another Wine, e.g.
#   forwarding_def.py x86_64-w64-mingw32-objdump /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/uxtheme.dll uxtheme.def
# usage: forwarding_def.py OBJDUMP DLL OUTPUT
import os
import re
import subprocess
import sys

objdump, dll, output = sys.argv[1:4]
headers = subprocess.run([objdump, '-p', dll], capture_output=True, text=True, check=True).stdout
base = int(re.search(r'Ordinal Base\s+(\d+)', headers).group(1))
names_table = re.search(r'\[Ordinal/Name Pointer\] Table\n(.*?)\n\n', headers, re.S)
names = {int(m.group(1)) + base: m.group(2)
         for m in re.finditer(r'\[\s*(\d+)\] (\S+)', names_table.group(1) if names_table else '')}
target = 'C:\\windows\\system32\\' + os.path.splitext(os.path.basename(dll))[0] + '.'
lines = ['EXPORTS']
for m in re.finditer(r'\+base\[\s*(\d+)\] (\S+)', headers):
    ordinal = int(m.group(1))
    if int(m.group(2), 16) == 0:
        continue
    name = names.get(ordinal)
    lines.append(f'{name}="{target}{name}" @{ordinal}' if name else f'ordinal{ordinal}="{target}#{ordinal}" @{ordinal} NONAME')
with open(output, 'w') as out:
    out.write('\n'.join(lines) + '\n')
