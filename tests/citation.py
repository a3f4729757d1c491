# SPDX-License-Identifier: GPL-3.0-or-later
# CITATION.cff is YAML that says what the README's "How to cite" says: the format's version, the
# program's licence and authors, and FAO-56 as the reference of the method fao56.
import datetime
import sys

import yaml

with open(sys.argv[1], encoding="utf-8") as file:
    cff = yaml.safe_load(file)
problems = []
def check(condition, what):
    if not condition:
        problems.append(what)

check(cff.get("cff-version") == "1.2.0", f"cff-version {cff.get('cff-version')!r}")
for key in ("message", "title", "version", "license", "authors"):
    check(bool(cff.get(key)), f"no {key}")
check(isinstance(cff.get("version"), str), "version is not text (quote it, or YAML reads a number)")
check(isinstance(cff.get("date-released"), datetime.date), "date-released is no YYYY-MM-DD date")
check(cff.get("license") == "GPL-3.0-or-later", f"license {cff.get('license')!r}")
check(cff.get("authors") == [{"name": "The Marovane developers", "email": "marovane@example.org"}],
      f"authors {cff.get('authors')!r}")
fao = [r for r in cff.get("references", []) if r.get("year") == 1998]
check(len(fao) == 1, "no single reference of 1998")
if fao:
    names = [a.get("family-names") for a in fao[0].get("authors", [])]
    check(names == ["Allen", "Pereira", "Raes", "Smith"], f"FAO-56's authors {names}")
    check(fao[0].get("collection-title") == "FAO Irrigation and Drainage Paper"
          and fao[0].get("number") == "56", "FAO-56 is not paper 56 of the series")
    check("fao56" in fao[0].get("notes", ""), "FAO-56's reference does not name the method fao56")
for problem in problems:
    print("CITATION.cff:", problem)
sys.exit(1 if problems else 0)
