; A French-tagged lexicon of three words, one of them outside code page 1252.
Affix=accents.aff
Dictionary=accents.dic
Language=1036
