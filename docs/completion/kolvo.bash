# bash completion for kolvo                                  -*- shell-script -*-
#
#   kolvo FORMAT INPUT OUTPUT OPTION
#   kolvo --help | --version | --markup-reference [man]
#
# Word 1 is a format word or one of the long options, words 2 and 3 are file
# names, word 4 is an option word. Needs nothing but bash itself; installed as
# share/bash-completion/completions/kolvo it is loaded on demand by the
# bash-completion package, or it can be sourced from ~/.bashrc.

_kolvo() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local first=${COMP_WORDS[1]}
  COMPREPLY=()

  case $COMP_CWORD in
    1)
      # a AbiWord, d DocBook 5, h HTML, r RTF, l LaTeX, p PostScript, P PDF
      COMPREPLY=($(compgen -W '-a -d -h -r -l -p -P --help --version --markup-reference' -- "$cur"))
      ;;
    2 | 3)
      case $first in
        --help | --version) ;;
        --markup-reference)
          [ "$COMP_CWORD" = 2 ] && COMPREPLY=($(compgen -W 'man' -- "$cur"))
          ;;
        *)
          # Input and output files; "-" stands for standard input or output.
          compopt -o filenames 2>/dev/null
          local IFS=$'\n'
          COMPREPLY=($(compgen -f -- "$cur"))
          ;;
      esac
      ;;
    4)
      case $first in
        --*) ;;
        # s none, t small top spacing, T large top spacing,
        # v progress trace, V version line first
        *) COMPREPLY=($(compgen -W '-s -t -T -v -V' -- "$cur")) ;;
      esac
      ;;
  esac
  return 0
}

complete -F _kolvo kolvo
