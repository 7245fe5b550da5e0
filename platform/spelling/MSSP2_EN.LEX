; The English lexicon: hunspell's en_US dictionary, copied beside this file at build time.
Affix=en_US.aff
Dictionary=en_US.dic
Language=1033
