# bash completion for kolvo                                  -*- shell-script -*-
#
#   kolvo [SETTING...] FORMAT INPUT OUTPUT [OPTION]
#   kolvo --help | --version | --markup-reference [man]
#   kolvo [SETTING...] --output-dir DIR FORMAT INPUT...
#   kolvo [SETTING...] --check [FORMAT] INPUT...
#
# Settings (--escape, --paper SIZE, --font FILE, --encoding NAME, --header TEXT,
# --footer TEXT, --margins L,R,T,B, --mono, the metadata's --title, --author,
# --subject, --keywords TEXT and --lang TAG, --outline, --quiet, --jobs N, and
# --no-escape, --no-font, --no-mono, --no-quiet, --no-outline that undo those
# of KOLVO_OPTIONS)
# are offered first; after --output-dir DIR (a folder) every word past
# FORMAT is an input file;
# a FORMAT begun with a letter is completed to a format's name; then a format word
# or one of the other long options, two file names and an option word. Needs
# nothing but bash itself; installed as
# share/bash-completion/completions/kolvo it is loaded on demand by the
# bash-completion package, or it can be sourced from ~/.bashrc.

_kolvo() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  # The settings before FORMAT are passed over: `word` numbers the rest.
  local settings=0 batch=0
  while [ $((settings + 1)) -lt "$COMP_CWORD" ]; do
    case ${COMP_WORDS[settings + 1]} in
      --escape | --no-escape | --no-font | --mono | --no-mono | --quiet | --no-quiet | --outline | --no-outline)
        settings=$((settings + 1)) ;;
      --paper | --font | --encoding | --header | --footer | --margins | --title | --author | --subject | --keywords | --lang | --jobs)
        settings=$((settings + 2)) ;;
      --output-dir)
        batch=1
        settings=$((settings + 2)) ;;
      *) break ;;
    esac
  done
  COMPREPLY=()
  # A template, margins and the metadata's words are the user's own:
  # nothing to offer.
  case ${COMP_WORDS[COMP_CWORD - 1]} in
    --header | --footer | --margins | --title | --author | --subject | --keywords | --lang | --jobs)
      [ "$settings" -ge "$COMP_CWORD" ] && return 0 ;;
  esac
  # The word after --output-dir is a folder.
  if [ "${COMP_WORDS[COMP_CWORD - 1]}" = --output-dir ] && [ "$settings" -ge "$COMP_CWORD" ]; then
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY=($(compgen -d -- "$cur"))
    return 0
  fi
  # The word after --paper is its size, the word after --font a file.
  if [ "${COMP_WORDS[COMP_CWORD - 1]}" = --paper ] && [ "$settings" -ge "$COMP_CWORD" ]; then
    COMPREPLY=($(compgen -W 'a4 letter legal a5 auto none' -- "$cur"))
    return 0
  fi
  # A few of the names iconv -l lists; any other it knows works as well.
  if [ "${COMP_WORDS[COMP_CWORD - 1]}" = --encoding ] && [ "$settings" -ge "$COMP_CWORD" ]; then
    COMPREPLY=($(compgen -W 'UTF-8 UTF-16LE UTF-16BE WINDOWS-1252 ISO-8859-1 WINDOWS-1250 ISO-8859-2 WINDOWS-1251 KOI8-R SHIFT_JIS EUC-JP GB18030 BIG5 EUC-KR' -- "$cur"))
    return 0
  fi
  if [ "${COMP_WORDS[COMP_CWORD - 1]}" = --font ] && [ "$settings" -ge "$COMP_CWORD" ]; then
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY=($(compgen -f -- "$cur"))
    return 0
  fi
  local word=$((COMP_CWORD - settings))
  local first=${COMP_WORDS[settings + 1]}
  # The formats by name: each extension, then its other names.
  local names='abw abiword xml docbook dbk html htm rtf tex latex ps postscript pdf fodt odt'

  # A batch: after FORMAT, input files only.
  if [ "$batch" = 1 ] && [ "$word" -ge 2 ]; then
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY=($(compgen -f -- "$cur"))
    return 0
  fi
  case $word in
    1)
      # a AbiWord, d DocBook 5, h HTML, r RTF, l LaTeX, p PostScript, P PDF, o OpenDocument text
      if [ -n "$cur" ] && [[ $cur != -* ]]; then
        COMPREPLY=($(compgen -W "$names" -- "$cur"))
      elif [ "$settings" = 0 ]; then
        COMPREPLY=($(compgen -W '-a -d -h -r -l -p -P -o --help --version --markup-reference --escape --paper --font --encoding --header --footer --margins --mono --title --author --subject --keywords --lang --outline --quiet --no-escape --no-font --no-mono --no-quiet --no-outline --jobs --output-dir --check' -- "$cur"))
      else
        # A setting not given yet may still come.
        local offer='-a -d -h -r -l -p -P -o' given=" ${COMP_WORDS[*]:1:settings} "
        [[ $given == *' --escape '* ]] || offer+=' --escape'
        [[ $given == *' --paper '* ]] || offer+=' --paper'
        offer+=' --font'
        [[ $given == *' --encoding '* ]] || offer+=' --encoding'
        [[ $given == *' --header '* ]] || offer+=' --header'
        [[ $given == *' --footer '* ]] || offer+=' --footer'
        [[ $given == *' --margins '* ]] || offer+=' --margins'
        [[ $given == *' --mono '* ]] || offer+=' --mono'
        local setting
        for setting in --title --author --subject --keywords --lang --outline; do
          [[ $given == *" $setting "* ]] || offer+=" $setting"
        done
        [[ $given == *' --quiet '* ]] || offer+=' --quiet'
        [[ $given == *' --jobs '* ]] || offer+=' --jobs'
        [ "$batch" = 1 ] || offer+=' --output-dir --check'
        COMPREPLY=($(compgen -W "$offer" -- "$cur"))
      fi
      ;;
    2 | 3)
      case $first in
        --help | --version) ;;
        --markup-reference)
          [ "$COMP_CWORD" = 2 ] && COMPREPLY=($(compgen -W 'man' -- "$cur"))
          ;;
        --check)
          # An optional format word, then the input file.
          if [ "$word" = 2 ]; then
            COMPREPLY=($(compgen -W "-a -d -h -r -l -p -P -o $names" -- "$cur"))
          fi
          compopt -o filenames 2>/dev/null
          local IFS=$'\n'
          COMPREPLY+=($(compgen -f -- "$cur"))
          ;;
        *)
          # Input and output files; "-" stands for standard input or output.
          compopt -o filenames 2>/dev/null
          local IFS=$'\n'
          COMPREPLY=($(compgen -f -- "$cur"))
          ;;
      esac
      ;;
    *)
      case $first in
        # --check FORMAT INPUT...: more input files.
        --check)
          compopt -o filenames 2>/dev/null
          local IFS=$'\n'
          COMPREPLY=($(compgen -f -- "$cur"))
          ;;
        --*) ;;
        # s none, t small top spacing, T large top spacing,
        # v progress trace, V version line first
        *) [ "$word" = 4 ] && COMPREPLY=($(compgen -W '-s -t -T -v -V' -- "$cur")) ;;
      esac
      ;;
  esac
  return 0
}

complete -F _kolvo kolvo
